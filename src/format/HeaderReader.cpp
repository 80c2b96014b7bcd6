#include "format/HeaderReader.h"

#include "files/Platform.h"
#include "files/RasterFiles.h"
#include "format/HeaderCompletion.h"
#include "format/KeyValueHeader.h"
#include "format/KeywordHeader.h"
#include "format/SideFiles.h"
#include "format/TextLines.h"
#include "pelmo/Pelmo.h"
#include "support/Reporting.h"
#include "tamsel/Path.h"

namespace fennick {

namespace {

// The lines of the header file `headerPath` of `dataPath`, into `out` and
// `scratch`. The first line tells the dialect. The module's own is read only
// from the header named as the data file with ".hdr" in place of its
// extension (`ownHeader` is `headerPath`); the other dialect's other names
// (".hdr" added, a data file without extension) find nothing else.
int ParseHeaderFile(const std::string& headerPath, const char* dataPath, const std::string& ownHeader,
                    const Reporter& report, BndDescription& out, HeaderScratch& scratch)
{
    const auto missing = [&](const std::string& path) {
        return report.Fail(
            __LINE__,
            "Unable to find the header file %s.\r\nThis file is required and must be in the same folder as %s.",
            path.c_str(), dataPath);
    };
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(headerPath.c_str(), "rt", kShare, false)) {
        const std::string reason = platform::UnreadableReason(headerPath.c_str(), platform::LastSystemError());
        if (!reason.empty()) {
            return report.Fail(__LINE__,
                               "The header file %s cannot be read (%s).\r\nThis file is required and must be "
                               "a text file in the same folder as %s.",
                               headerPath.c_str(), reason.c_str(), dataPath);
        }
        return missing(headerPath);
    }
    if (const int result = RefuseLargeTextFile(file, headerPath, report); result != 0) {
        return result;
    }
    if (pelmo::IsBinary(file, 256)) {
        return report.Fail(__LINE__, "%s must be in ASCII form for %s.", headerPath.c_str(), dataPath);
    }
    TextLines lines(file);
    std::string first;
    if (lines.Next(first) && OpensKeyValueHeader(first)) {
        out.dialect = HeaderDialect::KeyValue;
        return ParseKeyValueLines(lines, headerPath, report, out, scratch);
    }
    if (headerPath != ownHeader || !tamsel::CPath::HasExtension(dataPath)) {
        return tamsel::CPath::HasExtension(dataPath) ? missing(ownHeader) : 1;
    }
    return ParseKeywordLines(file, headerPath, report, out, scratch);
}

} // namespace

int ReadDescription(const char* dataPath, bool quiet, BndDescription& out)
{
    out = BndDescription{};
    const Reporter report(quiet);
    if (IsHeaderPath(dataPath)) {
        return 1;
    }
    const RasterFiles files = RasterFiles::Of(dataPath);
    out.headerFile = files.header;
    HeaderScratch scratch;
    if (const int result = ParseHeaderFile(files.header, dataPath, files.ownHeader, report, out, scratch);
        result != 0) {
        return result;
    }
    if (const int result = CompleteHeader(files.header, report, scratch, out); result != 0) {
        return result;
    }
    if (const int result = ReadWorldFile(files.world, report, out); result != 0) {
        return result;
    }
    return ReadStatisticsFile(files.statistics, report, out);
}

bool ReadOwnHeader(const std::string& headerPath, std::optional<BndDescription>& described)
{
    described.reset();
    const Reporter quiet(true);
    BndDescription description;
    HeaderScratch scratch;
    if (ParseHeaderFile(headerPath, headerPath.c_str(), headerPath, quiet, description, scratch) != 0 ||
        description.dialect != HeaderDialect::Keywords || description.header.nrows < 0 ||
        description.header.ncols < 0) {
        return false;
    }
    if (CompleteHeader(headerPath, quiet, scratch, description) == 0) {
        described = description;
    }
    return true;
}

} // namespace fennick
