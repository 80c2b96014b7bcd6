#include "export/StagedRaster.h"

#include <optional>

#include "files/Platform.h"
#include "files/RasterFiles.h"
#include "files/RasterGuard.h"
#include "format/HeaderReader.h"
#include "format/RasterFit.h"
#include "format/TextLines.h"
#include "orvo/IoFilter.h"
#include "support/Reporting.h"
#include "tamsel/BufferedFile.h"
#include "tamsel/Format.h"

namespace fennick {

namespace {

using platform::PathOf;

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
    if (length > kLargestTextFile) { // not a header this module reads, nor held to be put back
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    const auto count = static_cast<unsigned int>(bytes.size());
    if (file.Read(bytes.data(), count) != count) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

StagedRaster::StagedRaster(std::string dataPath) : dataPath_(std::move(dataPath)), data_(dataPath_), header_(Check())
{
    for (StagedFile* file : {&data_, &header_}) {
        if (!file->Create()) {
            RaiseSystemError(__LINE__, file->Path());
        }
    }
}

std::string StagedRaster::Check() const
{
    std::string header = RasterFiles::Of(dataPath_).ownHeader;
    for (const std::string& path : {dataPath_, header}) {
        if (const std::string why = ReplaceRefusal(path); !why.empty()) {
            Raise(__LINE__, "%s", why.c_str());
        }
    }
    std::optional<BndDescription> own;
    if (platform::Exists(header) && !ReadOwnHeader(header, own)) {
        Raise(__LINE__,
              "%s is not a header of a banded raster this module reads, so it may be another tool's; it is not "
              "replaced: give the output another name.",
              header.c_str());
    }
    if (const std::string why = RefusalOf({dataPath_, header}, ReadsAsRasterFile); !why.empty()) {
        Raise(__LINE__, "%s", why.c_str());
    }
    return header;
}

void StagedRaster::Commit()
{
    const platform::FolderLock lock(PathOf(dataPath_).parent_path());
    if (const std::string header = Check(); header != header_.Path()) {
        header_.Retarget(header); // another export has put one of another case in place meanwhile
    }
    std::optional<std::string> previous;
    if (platform::Exists(header_.Destination())) {
        previous = ReadWhole(header_.Destination());
        if (!previous) {
            Raise(__LINE__, "%s cannot be read whole, to be put back if the export fails; it is not replaced.",
                  header_.Path().c_str());
        }
    }
    PlaceBoth(previous ? &*previous : nullptr);
}

void StagedRaster::PlaceBoth(const std::string* previous)
{
    if (!header_.Place()) {
        RaiseSystemError(__LINE__, header_.Path());
    }
    if (data_.Place()) {
        return;
    }
    const int error = platform::LastSystemError();
    if (previous != nullptr) {
        ReplaceWhole(header_.Destination(), *previous);
    } else {
        platform::RemoveFile(header_.Destination().c_str());
    }
    platform::SetLastSystemError(error);
    RaiseSystemError(__LINE__, data_.Path());
}

std::string StagedRaster::AsGiven(std::string text) const
{
    for (const StagedFile* file : {&data_, &header_}) {
        const std::string& temporary = file->Temporary();
        const std::string& given = file->Path();
        for (std::size_t at = temporary.empty() ? std::string::npos : text.find(temporary); at != std::string::npos;
             at = text.find(temporary, at + given.size())) {
            text.replace(at, temporary.size(), given);
        }
    }
    return text;
}

} // namespace fennick
