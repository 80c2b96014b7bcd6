#include "Outputs.h"

#include <csignal>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "Session.h"
#include "System.h"
#include "format/SideFiles.h"
#include "support/Platform.h"
#include "tamsel/Format.h"

namespace bndhost {

namespace fs = std::filesystem;
namespace platform = fennick::platform;
using platform::TextOf;

namespace {

// The temporary in progress, in fixed storage that a signal handler may read.
constexpr std::size_t kPathCapacity = 4096;
char pending[kPathCapacity];
volatile std::sig_atomic_t hasPending = 0;

[[noreturn]] void Refuse(const std::string& why)
{
    throw std::runtime_error("refused: " + why);
}

// The module's side file of `data` with `extension`.
fs::path SideFile(const fs::path& data, const char* extension)
{
    return platform::PathOf(fennick::SideFilePath(TextOf(data).c_str(), extension));
}

// Whether writing `written` would write `read`: the same file, the same path
// once resolved, or a name in the same folder that differs only in case
// (which the module's lookup finds on any system).
bool LeadsTo(const fs::path& written, const fs::path& read)
{
    std::error_code error;
    const fs::path left = fs::weakly_canonical(fs::absolute(written, error), error);
    const fs::path right = fs::weakly_canonical(fs::absolute(read, error), error);
    if (platform::SameFile(TextOf(written), TextOf(read)) || (!error && left == right)) {
        return true;
    }
    return !error && platform::SameFile(TextOf(left.parent_path()), TextOf(right.parent_path())) &&
           platform::EqualsIgnoreCase(TextOf(left.filename()), TextOf(right.filename()));
}

// Refuses writing `written` when it leads to one of the files read with `in`.
void RefuseOverlap(const fs::path& in, const fs::path& written)
{
    for (const auto& [path, role] : {std::pair{in, "the input"}, std::pair{SideFile(in, ".hdr"), "the input's header"},
                                     std::pair{SideFile(in, ".blw"), "the input's world file"},
                                     std::pair{SideFile(in, ".stx"), "the input's statistics file"}}) {
        if (LeadsTo(written, path)) {
            Refuse((written == path ? "this" : "writing " + TextOf(written)) + " would overwrite " + TextOf(path) +
                   ", " + role);
        }
    }
}

// Refuses a text output that an existing raster of its name, whatever its
// case, would read as its header, world or statistics file.
void RefuseSideFileOfARaster(const fs::path& out, Session& session)
{
    const std::string extension = TextOf(out.extension());
    if (!fennick::IsSideFileExtension(extension.c_str())) {
        return;
    }
    const char* role = platform::EqualsIgnoreCase(extension, ".hdr")   ? "header"
                       : platform::EqualsIgnoreCase(extension, ".blw") ? "world file"
                                                                       : "statistics file";
    for (const std::string& other : fennick::OtherFilesOfTheName(TextOf(out))) {
        if (session.Probe(platform::PathOf(other)) != 0) {
            Refuse(std::string("this would write the ") + role + " of " + other +
                   ", which would then read wrong; give the output another name");
        }
    }
}

} // namespace

void RefuseRasterOutput(const fs::path& in, const fs::path& out)
{
    RefuseOverlap(in, out);
    RefuseOverlap(in, SideFile(out, ".hdr"));
    for (const char* extension : {".blw", ".stx"}) {
        if (const fs::path side = SideFile(out, extension); platform::Exists(TextOf(side))) {
            Refuse(TextOf(side) + " would be read with " + TextOf(out) +
                   " and override its new header; remove or rename it, or give the output another name");
        }
    }
}

TextOutput::TextOutput(const fs::path& in, const fs::path& out, Session& session)
{
    RefuseOverlap(in, out);
    RefuseSideFileOfARaster(out, session);
    std::error_code error;
    const fs::file_status status = fs::status(out, error);
    if (fs::is_fifo(status) || fs::is_character_file(status)) {
        final_ = out; // a stream (/dev/stdout, a FIFO): written directly, nothing to replace
        return;
    }
    final_ = platform::PathOf(platform::LinkTarget(TextOf(out)));
    if (platform::Exists(TextOf(out))) { // a link that leads nowhere is no regular file either
        if (!fs::is_regular_file(status)) {
            throw std::runtime_error(TextOf(final_) + " exists and is not a regular file; it is not replaced");
        }
        if (const std::string reason = platform::WriteRefusal(TextOf(final_).c_str()); !reason.empty()) {
            Refuse(TextOf(final_) + " may not be written (" + reason + ")");
        }
    }

    const sys::InterruptsHeld held; // until the new file is known to the signal handler
    const std::string temporary = platform::CreateHiddenFileBeside(TextOf(final_));
    if (temporary.empty()) {
        throw std::runtime_error("cannot create a file beside " + TextOf(out) + ": " + tamsel::FormatSystemErrorMsg());
    }
    temporary_ = platform::PathOf(temporary);
    if (temporary.size() < kPathCapacity) {
        std::memcpy(pending, temporary.c_str(), temporary.size() + 1);
        hasPending = 1;
    }
}

TextOutput::~TextOutput()
{
    const sys::InterruptsHeld held;
    hasPending = 0;
    if (!temporary_.empty()) {
        platform::RemoveFile(TextOf(temporary_).c_str());
    }
}

void TextOutput::Commit()
{
    if (temporary_.empty()) {
        return; // written directly
    }
    const sys::InterruptsHeld held;
    platform::CopyPermissions(TextOf(final_), TextOf(temporary_));
    if (!platform::MoveReplacing(TextOf(temporary_).c_str(), TextOf(final_).c_str())) {
        throw std::runtime_error("cannot replace " + TextOf(final_) + ": " + tamsel::FormatSystemErrorMsg());
    }
    temporary_.clear();
    hasPending = 0;
}

void TextOutput::RemoveInSignalHandler() noexcept
{
    if (hasPending != 0) {
        platform::RemoveFile(pending);
    }
}

} // namespace bndhost
