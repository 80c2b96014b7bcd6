#include "Outputs.h"

#include <csignal>
#include <cstring>
#include <stdexcept>

#include "Session.h"
#include "System.h"
#include "files/Platform.h"
#include "files/RasterGuard.h"
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

} // namespace

void RefuseInput(const fs::path& in, const fs::path& out)
{
    if (LeadsTo(out, in)) {
        throw std::runtime_error("refused: " + (out == in ? "this" : "writing " + TextOf(out)) + " would overwrite " +
                                 TextOf(in) + ", the input");
    }
}

TextOutput::TextOutput(const fs::path& in, const fs::path& out, Session& session) : session_(session), out_(out)
{
    RefuseInput(in, out);
    std::error_code error;
    const fs::file_status status = fs::status(out, error);
    if (fs::is_fifo(status) || fs::is_character_file(status)) {
        path_ = out; // a stream (/dev/stdout, a FIFO): written directly, nothing to replace
        return;
    }
    Check();
    const sys::InterruptsHeld held; // until the new file is known to the signal handler
    staged_.emplace(TextOf(out));
    if (!staged_->Create()) {
        throw std::runtime_error("cannot create a file beside " + TextOf(out) + ": " + tamsel::FormatSystemErrorMsg());
    }
    const std::string& temporary = staged_->Temporary();
    path_ = platform::PathOf(temporary);
    if (temporary.size() < kPathCapacity) {
        std::memcpy(pending, temporary.c_str(), temporary.size() + 1);
        hasPending = 1;
    }
}

TextOutput::~TextOutput()
{
    const sys::InterruptsHeld held;
    hasPending = 0;
    staged_.reset();
}

void TextOutput::Check() const
{
    const std::string out = TextOf(out_);
    std::string why = fennick::ReplaceRefusal(out);
    if (why.empty()) {
        why = fennick::RefusalOf({out, ""},
                                 [&](const std::string& path) { return session_.Probe(platform::PathOf(path)) != 0; });
    }
    if (!why.empty()) {
        throw std::runtime_error(why);
    }
}

void TextOutput::Commit()
{
    if (!staged_) {
        return; // written directly
    }
    const sys::InterruptsHeld held;
    const platform::FolderLock lock(platform::PathOf(staged_->Destination()).parent_path());
    Check();
    if (!staged_->Place()) {
        throw std::runtime_error("cannot replace " + staged_->Destination() + ": " + tamsel::FormatSystemErrorMsg());
    }
    hasPending = 0;
}

void TextOutput::RemoveInSignalHandler() noexcept
{
    if (hasPending != 0) {
        platform::RemoveFile(pending);
    }
}

} // namespace bndhost
