#include "Outputs.h"

#include <array>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include "System.h"
#include "format/SideFiles.h"
#include "support/Platform.h"
#include "tamsel/Format.h"
#include "tamsel/Path.h"

namespace bndhost {

namespace fs = std::filesystem;
namespace platform = fennick::platform;

namespace {

// The temporary in progress, in fixed storage that a signal handler may read.
constexpr std::size_t kPathCapacity = 4096;
char pending[kPathCapacity];
volatile std::sig_atomic_t hasPending = 0;

// Every temporary name of this run with the name the user gave, whole paths
// and bare names, for messages that name what bndhost wrote.
std::vector<std::pair<std::string, std::string>> givenNames;

[[noreturn]] void Refuse(const std::string& why)
{
    throw std::runtime_error("refused: " + why);
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(sys::PathOf(path), error));
}

bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// Whether writing `written` would write `read`: the same file, the same path
// once resolved, or a name in the same folder that differs only in case
// (which the module's lookup finds on any system).
bool LeadsTo(const std::string& written, const std::string& read)
{
    const fs::path a = sys::PathOf(written);
    const fs::path b = sys::PathOf(read);
    std::error_code error;
    const fs::path left = fs::weakly_canonical(fs::absolute(a, error), error);
    const fs::path right = fs::weakly_canonical(fs::absolute(b, error), error);
    if (SameFile(a, b) || (!error && left == right)) {
        return true;
    }
    return !error && SameFile(left.parent_path(), right.parent_path()) &&
           platform::EqualsIgnoreCase(sys::TextOf(left.filename()).c_str(), sys::TextOf(right.filename()).c_str());
}

// Refuses writing `written` when it leads to one of the files read with `in`.
void RefuseOverlap(const std::string& in, const std::string& written)
{
    const std::array<std::pair<std::string, const char*>, 4> inputs = {{
        {in, "the input"},
        {fennick::SideFilePath(in.c_str(), ".hdr"), "the input's header"},
        {fennick::SideFilePath(in.c_str(), ".blw"), "the input's world file"},
        {fennick::SideFilePath(in.c_str(), ".stx"), "the input's statistics file"},
    }};
    for (const auto& [path, role] : inputs) {
        if (LeadsTo(written, path)) {
            std::string why = written == path ? "this" : "writing " + written;
            why += " would overwrite ";
            why += path;
            why += ", ";
            Refuse(why + role);
        }
    }
}

// What a side file of a raster is, by its extension; nullptr for another file.
const char* SideFileRole(const char* extension)
{
    if (platform::EqualsIgnoreCase(extension, ".hdr")) {
        return "header";
    }
    if (platform::EqualsIgnoreCase(extension, ".blw")) {
        return "world file";
    }
    return platform::EqualsIgnoreCase(extension, ".stx") ? "statistics file" : nullptr;
}

// Refuses a text output that an existing raster of its name, whatever its
// case, would read as its header, world or statistics file.
void RefuseSideFileOfARaster(const std::string& out, const TextOutput::IsRaster& isRaster)
{
    const char* name = tamsel::CPath::GetNamePtr(out.c_str());
    const char* extension = tamsel::CPath::GetExtensionPtr(name);
    const char* role = SideFileRole(extension);
    if (role == nullptr) {
        return;
    }
    for (const std::string& other : fennick::OtherFilesOfTheName(out)) {
        if (isRaster(other)) {
            std::string why = "this would write the ";
            why += role;
            why += " of ";
            why += other;
            Refuse(why + ", which would then read wrong; give the output another name");
        }
    }
}

void Remember(const std::string& temporary, const std::string& given)
{
    givenNames.emplace_back(temporary, given);
    givenNames.emplace_back(sys::TextOf(sys::PathOf(temporary).filename()), sys::TextOf(sys::PathOf(given).filename()));
}

} // namespace

void RefuseRasterOutput(const std::string& in, const std::string& out)
{
    RefuseOverlap(in, out);
    RefuseOverlap(in, fennick::SideFilePath(out.c_str(), ".hdr"));
    for (const char* extension : {".blw", ".stx"}) {
        const std::string side = fennick::SideFilePath(out.c_str(), extension);
        if (Exists(side)) {
            std::string why = side;
            why += " would be read with ";
            why += out;
            Refuse(why + " and override its new header; remove or rename it, or give the output another name");
        }
    }
}

TextOutput::TextOutput(const std::string& in, const std::string& out, const IsRaster& isRaster)
{
    RefuseOverlap(in, out);
    RefuseSideFileOfARaster(out, isRaster);
    std::error_code error;
    const fs::file_status status = fs::status(sys::PathOf(out), error);
    if (fs::is_fifo(status) || fs::is_character_file(status)) {
        final_ = out; // a stream (/dev/stdout, a FIFO): written directly, nothing to replace
        return;
    }
    fs::path target = sys::PathOf(out);
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target = fs::canonical(target, error);
        if (error) {
            throw std::runtime_error(out + ": " + error.message());
        }
    }
    final_ = sys::TextOf(target);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            throw std::runtime_error(final_ + " exists and is not a regular file; it is not replaced");
        }
        if (const std::string reason = platform::WriteRefusal(final_.c_str()); !reason.empty()) {
            Refuse(final_ + " may not be written (" + reason + ")");
        }
    }

    const sys::InterruptsHeld held; // until the new file is known to the signal handler
    temporary_ = platform::CreateHiddenFileBeside(final_);
    if (temporary_.empty()) {
        throw std::runtime_error("cannot create a file beside " + out + ": " + tamsel::FormatSystemErrorMsg());
    }
    Remember(temporary_, out);
    if (temporary_.size() < kPathCapacity) {
        std::memcpy(pending, temporary_.c_str(), temporary_.size() + 1);
        hasPending = 1;
    }
}

TextOutput::~TextOutput()
{
    const sys::InterruptsHeld held;
    hasPending = 0;
    if (!temporary_.empty()) {
        platform::RemoveFile(temporary_.c_str());
    }
}

void TextOutput::Commit()
{
    if (temporary_.empty()) {
        return; // written directly
    }
    const sys::InterruptsHeld held;
    if (Exists(final_)) {
        platform::CopyPermissions(final_, temporary_);
    }
    if (!platform::MoveReplacing(temporary_.c_str(), final_.c_str())) {
        throw std::runtime_error("cannot replace " + final_ + ": " + tamsel::FormatSystemErrorMsg());
    }
    temporary_.clear();
    hasPending = 0;
}

std::string TextOutput::AsGiven(std::string text)
{
    for (const auto& [temporary, given] : givenNames) {
        for (std::size_t at = text.find(temporary); at != std::string::npos; at = text.find(temporary, at)) {
            text.replace(at, temporary.size(), given);
            at += given.size();
        }
    }
    return text;
}

void TextOutput::RemoveInSignalHandler() noexcept
{
    if (hasPending != 0) {
        platform::RemoveFile(pending);
    }
}

void PrepareEmptyFolder(const std::string& folder)
{
    std::error_code error;
    if (fs::create_directories(sys::PathOf(folder), error) || error) {
        if (error) {
            throw std::runtime_error("cannot create the folder " + folder + ": " + error.message());
        }
        return;
    }
    if (!fs::is_directory(sys::PathOf(folder), error) || !fs::is_empty(sys::PathOf(folder), error)) {
        Refuse("the demo writes only into a new or empty folder, and " + folder + " is not one");
    }
}

} // namespace bndhost
