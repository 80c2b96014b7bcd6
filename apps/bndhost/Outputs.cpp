#include "Outputs.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "format/SideFiles.h"

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
    return fs::path(path).replace_extension(".hdr").string();
}

// Blocks the signals that end bndhost while files are created or renamed, so
// that a second Ctrl-C cannot leave a temporary file or new data beside an old header.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&held, signal);
        }
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

[[noreturn]] void Refuse(const std::string& why)
{
    throw std::runtime_error("refused: " + why);
}

bool Exists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
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
        if (SameFile(written, path)) {
            std::string why = written == path ? "this" : "writing " + written;
            why += " would overwrite ";
            why += path;
            why += ", ";
            Refuse(why + role);
        }
    }
}

// Refuses a raster output whose header also describes another data file of
// its name, or beside which a world or statistics file would be read with it.
void RefuseNeighbours(const fs::path& out, const fs::path& header)
{
    std::error_code error;
    const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
    if (Exists(header)) {
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const fs::path other = it->path();
            const std::string extension = other.extension().string();
            const bool banded = strcasecmp(extension.c_str(), ".bil") == 0 ||
                                strcasecmp(extension.c_str(), ".bip") == 0 ||
                                strcasecmp(extension.c_str(), ".bsq") == 0;
            if (banded && other.stem() == out.stem() && other.filename() != out.filename() && !SameFile(other, out)) {
                Refuse(header.string() + " is also the header of " + (out.parent_path() / other.filename()).string() +
                       ", which would then read wrong; give the output another name");
            }
        }
    }
    for (const char* extension : {".blw", ".stx"}) {
        const std::string side = fennick::SideFilePath(out.c_str(), extension);
        if (Exists(side)) {
            Refuse(side + " would be read with " + out.string() +
                   " and override its new header; remove or rename it, or give the output another name");
        }
    }
}

// The permission bits of an existing file, or those a new one gets.
mode_t ModeFor(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Creates an empty file at a new hidden name beside `target` with its
// extension; returns the name.
std::string CreateTemporary(const fs::path& target)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string extension = target.extension().string();
    std::string pattern = (folder / ("." + target.stem().string() + ".fennick-XXXXXX")).string() + extension;
    const int fd = ::mkstemps(pattern.data(), static_cast<int>(extension.size()));
    if (fd < 0) {
        throw std::runtime_error("cannot create a file in " + folder.string() + ": " + std::strerror(errno));
    }
    ::fchmod(fd, ModeFor(target.string()));
    ::close(fd);
    return pattern;
}

void Remember(const std::string& temporary, const std::string& given)
{
    givenNames.emplace_back(temporary, given);
    givenNames.emplace_back(fs::path(temporary).filename().string(), fs::path(given).filename().string());
}

} // namespace

Output::Output(const std::string& in, const std::string& out, Kind kind)
{
    std::error_code error;
    RefuseOverlap(in, out);
    const fs::file_status status = fs::status(out, error);
    if (kind == Kind::Text && (fs::is_fifo(status) || fs::is_character_file(status))) {
        final_ = out; // a stream (/dev/stdout, a FIFO): written directly, nothing to replace
        return;
    }
    fs::path target = out;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target = fs::canonical(target, error);
        if (error) {
            throw std::runtime_error(out + ": " + error.message());
        }
    }
    final_ = target.string();
    finalHeader_ = kind == Kind::Raster ? HeaderOf(final_) : std::string();
    if (kind == Kind::Raster) {
        RefuseOverlap(in, HeaderOf(out));
        RefuseNeighbours(target, finalHeader_);
    }
    for (const std::string& path : {final_, finalHeader_}) {
        const fs::file_status existing = fs::status(path, error);
        if (path.empty() || !fs::exists(existing)) {
            continue;
        }
        if (!fs::is_regular_file(existing)) {
            throw std::runtime_error(path + " exists and is not a regular file; it is not replaced");
        }
        if (::access(path.c_str(), W_OK) != 0) {
            Refuse(path + " may not be written (" + std::strerror(errno) + ")");
        }
    }

    const SignalsHeld held; // until the new files are known to the signal handler
    temporary_ = CreateTemporary(target);
    if (kind == Kind::Raster) {
        // The export writes the header beside the data file, by its name.
        temporaryHeader_ = HeaderOf(temporary_);
        const int fd = ::open(temporaryHeader_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ModeFor(finalHeader_));
        if (fd < 0) {
            const std::string reason = std::strerror(errno);
            temporaryHeader_.clear();
            throw std::runtime_error("cannot create a file beside " + out + ": " + reason);
        }
        ::close(fd);
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

Output::~Output()
{
    const SignalsHeld held;
    pending = 0;
    for (const std::string& path : {temporary_, temporaryHeader_}) {
        if (!path.empty()) {
            ::unlink(path.c_str());
        }
    }
}

void Output::Commit()
{
    if (temporary_.empty()) {
        return; // written directly
    }
    const SignalsHeld held;
    // The export created the header anew: it gets the replaced header's bits.
    if (!temporaryHeader_.empty()) {
        ::chmod(temporaryHeader_.c_str(), ModeFor(finalHeader_));
    }
    if (::rename(temporary_.c_str(), final_.c_str()) != 0) {
        throw std::runtime_error("cannot replace " + final_ + ": " + std::strerror(errno));
    }
    temporary_.clear();
    if (!temporaryHeader_.empty() && ::rename(temporaryHeader_.c_str(), finalHeader_.c_str()) != 0) {
        // The complete data is in place; say plainly that its header is not.
        throw std::runtime_error(final_ + " was replaced, but its header " + finalHeader_ +
                                 " could not be: " + std::strerror(errno));
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
        ::unlink(pendingData);
        if (pendingHeader[0] != '\0') {
            ::unlink(pendingHeader);
        }
    }
}

void PrepareEmptyFolder(const std::string& folder)
{
    std::error_code error;
    if (fs::create_directories(folder, error) || error) {
        if (error) {
            throw std::runtime_error("cannot create the folder " + folder + ": " + error.message());
        }
        return;
    }
    if (!fs::is_directory(folder, error) || !fs::is_empty(folder, error)) {
        Refuse("the demo writes only into a new or empty folder, and " + folder + " is not one");
    }
}

} // namespace bndhost
