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
#include "tamsel/Format.h"

namespace bndhost {

namespace fs = std::filesystem;

namespace {

// The temporary pair in progress, in fixed storage that a signal handler may read.
constexpr std::size_t kPathCapacity = 4096;
char pendingData[kPathCapacity];
char pendingHeader[kPathCapacity];
volatile std::sig_atomic_t pending = 0;

// Every temporary name of this run with the name the user gave, whole paths
// and bare names, for messages that name what the module wrote.
std::vector<std::pair<std::string, std::string>> givenNames;

std::string HeaderOf(const std::string& path)
{
    return sys::TextOf(sys::PathOf(path).replace_extension(".hdr"));
}

[[noreturn]] void Refuse(const std::string& why)
{
    throw std::runtime_error("refused: " + why);
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(sys::PathOf(path), error));
}

// Whether two paths lead to one file: the same file when both exist, else
// the same path once made absolute and resolved.
bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    if (fs::equivalent(a, b, error) && !error) {
        return true;
    }
    const fs::path left = fs::weakly_canonical(a, error);
    const fs::path right = fs::weakly_canonical(b, error);
    return !error && left == right;
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
        if (SameFile(sys::PathOf(written), sys::PathOf(path))) {
            std::string why = written == path ? "this" : "writing " + written;
            why += " would overwrite ";
            why += path;
            why += ", ";
            Refuse(why + role);
        }
    }
}

// Refuses a raster output whose header another data file also reads (found as
// the module finds it, whatever its case), or beside which a world or
// statistics file would be read with it.
void RefuseNeighbours(const fs::path& out, const std::string& header)
{
    std::error_code error;
    const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
    if (Exists(header)) {
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const fs::path other = it->path();
            const std::string extension = sys::TextOf(other.extension());
            const bool banded = sys::EqualsIgnoreCase(extension, ".bil") || sys::EqualsIgnoreCase(extension, ".bip") ||
                                sys::EqualsIgnoreCase(extension, ".bsq");
            const std::string otherHeader = fennick::SideFilePath(sys::TextOf(other).c_str(), ".hdr");
            if (banded && other.filename() != out.filename() && !SameFile(other, out) &&
                SameFile(sys::PathOf(otherHeader), sys::PathOf(header))) {
                Refuse(header + " is also the header of " + sys::TextOf(out.parent_path() / other.filename()) +
                       ", which would then read wrong; give the output another name");
            }
        }
    }
    for (const char* extension : {".blw", ".stx"}) {
        const std::string side = fennick::SideFilePath(sys::TextOf(out).c_str(), extension);
        if (Exists(side)) {
            Refuse(side + " would be read with " + sys::TextOf(out) +
                   " and override its new header; remove or rename it, or give the output another name");
        }
    }
}

// Creates an empty file at a new hidden name beside `target` with its
// extension and permissions; returns the name.
std::string CreateTemporary(const fs::path& target)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temporary = sys::CreateTemporary(folder, sys::TextOf(target.stem()), sys::TextOf(target.extension()));
    sys::CopyPermissions(sys::TextOf(target), temporary);
    return temporary;
}

void Remember(const std::string& temporary, const std::string& given)
{
    givenNames.emplace_back(temporary, given);
    givenNames.emplace_back(sys::TextOf(sys::PathOf(temporary).filename()), sys::TextOf(sys::PathOf(given).filename()));
}

} // namespace

Output::Output(const std::string& in, const std::string& out, Kind kind)
{
    std::error_code error;
    RefuseOverlap(in, out);
    const fs::file_status status = fs::status(sys::PathOf(out), error);
    if (kind == Kind::Text && (fs::is_fifo(status) || fs::is_character_file(status))) {
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
    finalHeader_ = kind == Kind::Raster ? HeaderOf(final_) : std::string();
    if (kind == Kind::Raster) {
        RefuseOverlap(in, HeaderOf(out));
        RefuseNeighbours(target, finalHeader_);
    }
    for (const std::string& path : {final_, finalHeader_}) {
        const fs::file_status existing = fs::status(sys::PathOf(path), error);
        if (path.empty() || !fs::exists(existing)) {
            continue;
        }
        if (!fs::is_regular_file(existing)) {
            throw std::runtime_error(path + " exists and is not a regular file; it is not replaced");
        }
        if (std::string reason; !sys::MayWrite(path, reason)) {
            reason.insert(0, path + " may not be written (");
            Refuse(reason + ")");
        }
    }

    const sys::InterruptsHeld held; // until the new files are known to the signal handler
    temporary_ = CreateTemporary(target);
    if (kind == Kind::Raster) {
        // The export writes the header beside the data file, by its name.
        temporaryHeader_ = HeaderOf(temporary_);
        if (!sys::CreateNew(temporaryHeader_)) {
            const std::string reason = tamsel::FormatSystemErrorMsg();
            temporaryHeader_.clear();
            throw std::runtime_error("cannot create a file beside " + out + ": " + reason);
        }
        sys::CopyPermissions(finalHeader_, temporaryHeader_);
    }
    Remember(temporary_, out);
    if (!temporaryHeader_.empty()) {
        Remember(temporaryHeader_, HeaderOf(out));
    }
    if (temporary_.size() < kPathCapacity && temporaryHeader_.size() < kPathCapacity) {
        std::memcpy(pendingData, temporary_.c_str(), temporary_.size() + 1);
        std::memcpy(pendingHeader, temporaryHeader_.c_str(), temporaryHeader_.size() + 1);
        pending = 1;
    }
}

void Output::RefuseOverwritingInput(const std::string& in, const std::string& out)
{
    RefuseOverlap(in, out);
}

Output::~Output()
{
    const sys::InterruptsHeld held;
    pending = 0;
    for (const std::string& path : {temporary_, temporaryHeader_}) {
        if (!path.empty()) {
            sys::Remove(path.c_str());
        }
    }
}

void Output::Commit()
{
    if (temporary_.empty()) {
        return; // written directly
    }
    const sys::InterruptsHeld held;
    // The export created the header anew: it gets the replaced header's bits.
    if (!temporaryHeader_.empty()) {
        sys::CopyPermissions(finalHeader_, temporaryHeader_);
    }
    if (!sys::Replace(temporary_, final_)) {
        throw std::runtime_error("cannot replace " + final_ + ": " + tamsel::FormatSystemErrorMsg());
    }
    temporary_.clear();
    if (!temporaryHeader_.empty() && !sys::Replace(temporaryHeader_, finalHeader_)) {
        // The complete data is in place; say plainly that its header is not.
        throw std::runtime_error(final_ + " was replaced, but its header " + finalHeader_ +
                                 " could not be: " + tamsel::FormatSystemErrorMsg());
    }
    temporaryHeader_.clear();
    pending = 0;
}

std::string Output::AsGiven(std::string text)
{
    for (const auto& [temporary, given] : givenNames) {
        for (std::size_t at = text.find(temporary); at != std::string::npos; at = text.find(temporary, at)) {
            text.replace(at, temporary.size(), given);
            at += given.size();
        }
    }
    return text;
}

void Output::RemoveInSignalHandler() noexcept
{
    if (pending != 0) {
        sys::Remove(pendingData);
        if (pendingHeader[0] != '\0') {
            sys::Remove(pendingHeader);
        }
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
