#include "export/StagedRaster.h"

#include <filesystem>
#include <optional>

#include "format/HeaderReader.h"
#include "format/SideFiles.h"
#include "orvo/IoFilter.h"
#include "plugin/DataPlan.h"
#include "support/Platform.h"
#include "support/Reporting.h"
#include "tamsel/BufferedFile.h"
#include "tamsel/Format.h"
#include "tamsel/Path.h"

namespace fennick {

namespace {

namespace fs = std::filesystem;
using platform::PathOf;
using platform::TextOf;

// A previous header larger than this is not held in memory to be put back:
// the export refuses to replace it.
constexpr std::int64_t kLargestHeader = std::int64_t{1} << 20;

// The export's errors, printf-style.
template <class... Arguments>
[[noreturn]] void Raise(int line, const char* format, Arguments... arguments)
{
    orvo::IoFilter::ThrowError(kExportSource, line, format, arguments...);
}

// "<path>: <the last system error>", as the host's file class says it.
[[noreturn]] void RaiseSystemError(int line, const std::string& path)
{
    Raise(line, "%s: %s", path.c_str(), tamsel::FormatSystemErrorMsg().c_str());
}

// The whole of the file `path`, or nothing when it cannot be read whole.
std::optional<std::string> ReadWhole(const std::string& path)
{
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(path.c_str(), "rb", kShare, false)) {
        return std::nullopt;
    }
    const std::int64_t length = file.GetLength();
    if (length > kLargestHeader) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    const auto count = static_cast<unsigned int>(bytes.size());
    if (file.Read(bytes.data(), count) != count) {
        return std::nullopt;
    }
    return bytes;
}

// Puts `bytes` back as the file `path`, through a temporary beside it;
// false when it cannot.
bool PutBack(const std::string& path, const std::string& bytes)
{
    const std::string temporary = platform::CreateHiddenFileBeside(path);
    if (temporary.empty()) {
        return false;
    }
    tamsel::CBufferedFile file;
    bool written = false;
    try {
        file.Open(temporary.c_str(), "wb", kShare, false);
        file.Write(bytes.data(), static_cast<unsigned int>(bytes.size()));
        file.Close();
        platform::CopyPermissions(path, temporary);
        written = platform::MoveReplacing(temporary.c_str(), path.c_str());
    } catch (...) {
        file.Abort(false);
    }
    if (!written) {
        platform::RemoveFile(temporary.c_str());
    }
    return written;
}

} // namespace

StagedRaster::Slot::~Slot()
{
    if (!placed && !temporary.empty()) {
        platform::RemoveFile(temporary.c_str());
    }
}

void StagedRaster::Slot::Stage(int line)
{
    temporary = platform::CreateHiddenFileBeside(destination);
    if (temporary.empty()) {
        RaiseSystemError(line, path);
    }
}

StagedRaster::StagedRaster(std::string dataPath) : dataPath_(std::move(dataPath))
{
    data_.path = dataPath_;
    header_.path = Check();
    data_.destination = platform::LinkTarget(data_.path);
    header_.destination = platform::LinkTarget(header_.path);
    data_.Stage(__LINE__);
    header_.Stage(__LINE__);
}

StagedRaster::~StagedRaster() = default;

std::string StagedRaster::Check() const
{
    std::string header = SideFilePath(dataPath_.c_str(), ".hdr");
    for (const std::string& path : {dataPath_, header}) {
        std::error_code error;
        if (!platform::Exists(path)) {
            continue;
        }
        if (!fs::is_regular_file(fs::status(PathOf(path), error))) {
            Raise(__LINE__, "%s exists and is not a regular file; it is not replaced.", path.c_str());
        }
        if (const std::string why = platform::WriteRefusal(path.c_str()); !why.empty()) {
            Raise(__LINE__, "%s may not be written (%s); it is not replaced.", path.c_str(), why.c_str());
        }
    }
    // Written through a link, the file it leads to changes: it must not be
    // the data file of a raster with another header (under either name the
    // import looks for).
    if (const std::string target = platform::LinkTarget(dataPath_); target != dataPath_) {
        const std::string targetHeader = HeaderPathOf(target.c_str());
        if (platform::Exists(targetHeader) && !platform::SameFile(targetHeader, header)) {
            Raise(__LINE__,
                  "%s leads to %s, the data file of another raster (%s); it is not written through: give the output "
                  "another name.",
                  dataPath_.c_str(), target.c_str(), targetHeader.c_str());
        }
    }
    if (!platform::Exists(header)) {
        // A header under the data file's name with ".hdr" added describes it
        // now; the new header would hide it.
        if (const std::string added = HeaderPathOf(dataPath_.c_str()); added != header) {
            Raise(__LINE__,
                  "%s is described by %s, which the new header would hide; it is not replaced: give the output "
                  "another name.",
                  dataPath_.c_str(), added.c_str());
        }
        return header;
    }
    std::optional<BndDescription> own;
    if (!ReadOwnHeader(header, own)) {
        Raise(__LINE__,
              "%s is not a header of a banded raster this module reads, so it may be another tool's; it is not "
              "replaced: give the output another name.",
              header.c_str());
    }
    const auto plan = own ? DataPlan::Of(own->header, own->layoutCode) : std::nullopt;
    if (!plan) {
        return header; // it describes no data file the import reads
    }
    // Another data file of the same name, whatever its case, that reads this
    // header and has the size it describes would be left with the new one.
    for (const std::string& other : OtherFilesOfTheName(dataPath_)) {
        std::error_code error;
        const auto size = fs::file_size(PathOf(other), error);
        if (!error && static_cast<std::int64_t>(size) == plan->geometry.expectedSize &&
            !platform::SameFile(other, dataPath_) && platform::SameFile(SideFilePath(other.c_str(), ".hdr"), header)) {
            Raise(__LINE__, "%s is also the header of %s, which would then read wrong; give the output another name.",
                  header.c_str(), other.c_str());
        }
    }
    return header;
}

void StagedRaster::Commit()
{
    const platform::FolderLock lock(PathOf(dataPath_).parent_path());
    const std::string header = Check();
    if (header != header_.path) { // another export has put one of another case in place meanwhile
        header_.path = header;
        header_.destination = platform::LinkTarget(header);
    }
    std::optional<std::string> previous;
    if (platform::Exists(header_.destination)) {
        previous = ReadWhole(header_.destination);
        if (!previous) {
            Raise(__LINE__, "%s cannot be read whole, to be put back if the export fails; it is not replaced.",
                  header_.path.c_str());
        }
    }
    for (const Slot* slot : {&data_, &header_}) {
        platform::CopyPermissions(slot->destination, slot->temporary);
    }
    PlaceBoth(previous ? &*previous : nullptr);
}

void StagedRaster::PlaceBoth(const std::string* previous)
{
    if (!platform::MoveReplacing(header_.temporary.c_str(), header_.destination.c_str())) {
        RaiseSystemError(__LINE__, header_.path);
    }
    header_.placed = true;
    if (platform::MoveReplacing(data_.temporary.c_str(), data_.destination.c_str())) {
        data_.placed = true;
        return;
    }
    const int error = platform::LastSystemError();
    if (previous != nullptr) {
        PutBack(header_.destination, *previous);
    } else {
        platform::RemoveFile(header_.destination.c_str());
    }
    platform::SetLastSystemError(error);
    RaiseSystemError(__LINE__, data_.path);
}

std::string StagedRaster::AsGiven(std::string text) const
{
    for (const Slot* slot : {&data_, &header_}) {
        const std::string& temporary = slot->temporary;
        const std::string given = slot->path;
        for (std::size_t at = temporary.empty() ? std::string::npos : text.find(temporary); at != std::string::npos;
             at = text.find(temporary, at + given.size())) {
            text.replace(at, temporary.size(), given);
        }
    }
    return text;
}

} // namespace fennick
