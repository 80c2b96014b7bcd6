#include "format/HeaderReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "files/Platform.h"
#include "files/RasterFiles.h"
#include "format/DataGeometry.h"
#include "format/FieldScan.h"
#include "format/KeyValueHeader.h"
#include "format/SideFiles.h"
#include "format/TextLines.h"
#include "orvo/IoFilter.h"
#include "pelmo/Pelmo.h"
#include "support/Reporting.h"
#include "tamsel/Path.h"

namespace fennick {

namespace {

// A keyword and how its value is scanned into the description.
struct Keyword {
    const char* name;
    bool (*scan)(const char*& text, BndDescription& d);
};

template <std::size_t N>
bool ScanInto(const char*& text, char (&field)[N], std::size_t width)
{
    return ScanWord(text, field, std::min(width, N - 1));
}

bool ScanOptional(const char*& text, std::optional<double>& field)
{
    double value = 0.0;
    if (!ScanDouble(text, value)) {
        return false;
    }
    field = value;
    return true;
}

// A spacing (xdim, ydim, cellsize): finite and not zero.
template <class Field>
bool ScanSpacing(const char*& text, Field& field)
{
    double value = 0.0;
    if (!ScanFinite(text, value) || value == 0.0) {
        return false;
    }
    field = value;
    return true;
}

// The header's own keywords, then those of other tools' headers.
constexpr std::array<Keyword, 25> kKeywords = {{
    {"nrows", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.nrows); }},
    {"ncols", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.ncols); }},
    {"nbands", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.nbands); }},
    {"nbits", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.nbits); }},
    {"byteorder", [](const char*& t, BndDescription& d) { return ScanInto(t, d.header.byteorder, 1); }},
    {"layout", [](const char*& t, BndDescription& d) { return ScanInto(t, d.header.layout, 3); }},
    {"skipbytes", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.skipbytes); }},
    {"ulxmap", [](const char*& t, BndDescription& d) { return ScanFinite(t, d.header.ulxmap); }},
    {"ulymap", [](const char*& t, BndDescription& d) { return ScanFinite(t, d.header.ulymap); }},
    {"xdim", [](const char*& t, BndDescription& d) { return ScanSpacing(t, d.header.xdim); }},
    {"ydim", [](const char*& t, BndDescription& d) { return ScanSpacing(t, d.header.ydim); }},
    {"bandrowbytes", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.bandrowbytes); }},
    {"totalrowbytes", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.totalrowbytes); }},
    {"bandgapbytes", [](const char*& t, BndDescription& d) { return ScanInt(t, d.header.bandgapbytes); }},
    {"Projection", [](const char*& t, BndDescription& d) { return ScanInto(t, d.header.Projection, 79); }},
    {"Datum", [](const char*& t, BndDescription& d) { return ScanInto(t, d.header.Datum, 79); }},
    {"Units", [](const char*& t, BndDescription& d) { return ScanInto(t, d.header.Units, 39); }},
    {"pixeltype", [](const char*& t, BndDescription& d) { return ScanInto(t, d.pixeltype, 15); }},
    {"cellsize", [](const char*& t, BndDescription& d) { return ScanSpacing(t, d.cellsize); }},
    {"xllcorner", [](const char*& t, BndDescription& d) { return ScanOptional(t, d.xllcorner); }},
    {"yllcorner", [](const char*& t, BndDescription& d) { return ScanOptional(t, d.yllcorner); }},
    {"xllcenter", [](const char*& t, BndDescription& d) { return ScanOptional(t, d.xllcenter); }},
    {"yllcenter", [](const char*& t, BndDescription& d) { return ScanOptional(t, d.yllcenter); }},
    {"nodata", ScanNodata},
    {"nodata_value", ScanNodata},
}};

// Which of the header's own geometry keywords a header gave.
struct GivenGeometry {
    bool xdim = false;
    bool ydim = false;
    bool ulxmap = false;
};

const Keyword* FindKeyword(const char* word)
{
    for (const Keyword& keyword : kKeywords) {
        if (platform::EqualsIgnoreCase(word, keyword.name)) {
            return &keyword;
        }
    }
    return nullptr;
}

bool IsDecodableWidth(std::int32_t nbits)
{
    return nbits == 1 || nbits == 4 || nbits == 8 || nbits == 16 || nbits == 32;
}

int ParseHeaderLines(tamsel::CBufferedFile& file, const std::string& headerPath, const Reporter& report,
                     BndDescription& out, GivenGeometry& given)
{
    TextLines lines(file);
    std::string line;
    int lineNumber = 0;
    while (lines.Next(line)) {
        ++lineNumber;
        const char* text = line.c_str();
        char word[20];
        if (!ScanWord(text, word, 19)) {
            continue;
        }
        const Keyword* keyword = FindKeyword(word);
        if (keyword == nullptr) {
            continue;
        }
        if (!keyword->scan(text, out)) {
            return report.BadRecord(__LINE__, headerPath.c_str(), lineNumber);
        }
        const std::string_view name = keyword->name;
        given.xdim = given.xdim || name == "xdim";
        given.ydim = given.ydim || name == "ydim";
        given.ulxmap = given.ulxmap || name == "ulxmap";
    }
    return lines.Error() != 0 ? report.ReadFailed(__LINE__, headerPath.c_str(), lines.Error()) : 0;
}

// Grid-style geometry where the header's own keywords are absent: the cell
// size for both spacings, the lower-left cell's corner or centre for the
// upper-left node. A corner wins over a centre.
void ApplyGridGeometry(const GivenGeometry& given, BndDescription& out)
{
    BndHeader& header = out.header;
    if (out.cellsize) {
        header.xdim = given.xdim ? header.xdim : *out.cellsize;
        header.ydim = given.ydim ? header.ydim : *out.cellsize;
    }
    if (!given.ulxmap) {
        if (out.xllcorner) {
            header.ulxmap = *out.xllcorner + header.xdim / 2;
        } else if (out.xllcenter) {
            header.ulxmap = *out.xllcenter;
        }
    }
    if (header.ulymap == NoValue) {
        const double dy = std::fabs(header.ydim);
        if (out.yllcorner) {
            header.ulymap = *out.yllcorner + (header.nrows - 0.5) * dy;
        } else if (out.yllcenter) {
            header.ulymap = *out.yllcenter + (header.nrows - 1) * dy;
        }
    }
}

// The lattice's element type: nbits and pixeltype. 8-bit samples are
// unsigned unless the header says SIGNEDINT (they are imagery and class maps);
// 16- and 32-bit ones signed unless it says UNSIGNEDINT (elevations often
// carry no pixeltype).
tamsel::CPrimType SampleTypeOf(const BndDescription& d)
{
    const bool isUnsigned = platform::EqualsIgnoreCase(d.pixeltype, "UNSIGNEDINT");
    switch (d.header.nbits) {
    case 8:
        return platform::EqualsIgnoreCase(d.pixeltype, "SIGNEDINT") ? tamsel::CPrimType::Int8
                                                                    : tamsel::CPrimType::UInt8;
    case 16: return isUnsigned ? tamsel::CPrimType::UInt16 : tamsel::CPrimType::Int16;
    case 32:
        if (platform::EqualsIgnoreCase(d.pixeltype, "FLOAT")) {
            return tamsel::CPrimType::Float32;
        }
        return isUnsigned ? tamsel::CPrimType::UInt32 : tamsel::CPrimType::Int32;
    default: return tamsel::CPrimType::Int8; // 1 and 4 bits unpack into 8-bit cells
    }
}

// The keys that a refused count is blamed on, in each dialect.
struct CountKeys {
    const char* columns;
    const char* bands;
    const char* offset;
};
constexpr CountKeys kKeywordCounts{"ncols", "nbands", "skipbytes"};
constexpr CountKeys kKeyValueCounts{"samples", "bands", "header offset"};

// Completes the absent values, refuses values the import cannot use, and
// derives the layout code, byte order and sample type (which a key-value
// header's data type already gave).
int CompleteHeader(const std::string& headerPath, const Reporter& report, const GivenGeometry& given,
                   BndDescription& out)
{
    BndHeader& header = out.header;
    if (header.nrows <= 1 || header.ncols <= 1) {
        return 1;
    }
    const bool keyValue = out.dialect == HeaderDialect::KeyValue;
    const CountKeys& keys = keyValue ? kKeyValueCounts : kKeywordCounts;
    const auto invalid = [&](std::int64_t value, const char* keyword) {
        return report.Fail(__LINE__, "Invalid value %d for %s in %s.", static_cast<int>(value), keyword,
                           headerPath.c_str());
    };
    if (header.nbands < 1) {
        return invalid(header.nbands, keys.bands);
    }
    if (!keyValue && (!IsDecodableWidth(header.nbits) ||
                      (platform::EqualsIgnoreCase(out.pixeltype, "FLOAT") && header.nbits != 32))) {
        return invalid(header.nbits, "nbits");
    }
    if (header.skipbytes < 0) {
        return invalid(header.skipbytes, keys.offset);
    }
    if (header.bandgapbytes < 0) {
        return invalid(header.bandgapbytes, "bandgapbytes");
    }
    if (header.bandrowbytes < -1) {
        return invalid(header.bandrowbytes, "bandrowbytes");
    }
    if (header.totalrowbytes < -1) {
        return invalid(header.totalrowbytes, "totalrowbytes");
    }

    ApplyGridGeometry(given, out);
    if (header.ulymap == NoValue) {
        header.ulymap = header.nrows - 1;
    }
    // Default row sizes are the whole bytes a row occupies. A derived size that
    // does not fit its 32-bit field is blamed on the count that makes it so.
    constexpr std::int64_t fieldMax = std::numeric_limits<std::int32_t>::max();
    if (header.bandrowbytes == -1) {
        const auto bytes = PackedBytes(header.ncols, header.nbits);
        if (!bytes || *bytes > fieldMax) {
            return invalid(header.ncols, keys.columns);
        }
        header.bandrowbytes = static_cast<std::int32_t>(*bytes);
    }

    out.layoutCode = LayoutOfName(header.layout);

    if (header.totalrowbytes == -1 && out.layoutCode != BndLayout::BSQ) {
        const auto bytes = out.layoutCode == BndLayout::BIL
                               ? std::optional(std::int64_t{header.nbands} * header.bandrowbytes)
                               : PackedBytes(std::int64_t{header.ncols} * header.nbands, header.nbits);
        if (!bytes || *bytes > fieldMax) {
            return invalid(header.nbands, keys.bands);
        }
        header.totalrowbytes = static_cast<std::int32_t>(*bytes);
    }

    out.swapBytes = header.byteorder[0] == 'M' || header.byteorder[0] == 'm';
    out.sampleType = keyValue ? out.sampleType : SampleTypeOf(out);

    if (header.nbits == 1 && header.nbands != 1) {
        return report.Fail(__LINE__, "When nbits is 1, nbands must also be 1.");
    }
    return 0;
}

// The lines of the header file `headerPath` of `dataPath`, into `out`. The
// module's own dialect is read only from the header named as the data file
// with ".hdr" in place of its extension (`ownHeader` is `headerPath`); the
// other dialect's other names (".hdr" added, a data file without extension)
// find nothing else.
int ParseHeaderFile(const std::string& headerPath, const char* dataPath, const std::string& ownHeader,
                    const Reporter& report, BndDescription& out, GivenGeometry& given)
{
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
        if (pelmo::IsBinary(file, 256)) {
            return report.Fail(__LINE__, "%s must be in ASCII form for %s.", headerPath.c_str(), dataPath);
        }
        // The first line tells the dialect; the module's own is read from the start.
        TextLines lines(file);
        std::string first;
        if (lines.Next(first) && OpensKeyValueHeader(first)) {
            out.dialect = HeaderDialect::KeyValue;
            return ParseKeyValueLines(lines, headerPath, report, out);
        }
        if (headerPath != ownHeader || !tamsel::CPath::HasExtension(dataPath)) {
            return tamsel::CPath::HasExtension(dataPath) ? missing(ownHeader) : 1;
        }
        file.Seek(0, tamsel::CBufferedFile::Begin);
        return ParseHeaderLines(file, headerPath, report, out, given);
    }
}

// The header of the raster `files` alone, into `out` (which it completes).
int ReadHeaderFile(const RasterFiles& files, const Reporter& report, BndDescription& out)
{
    GivenGeometry given;
    if (const int result = ParseHeaderFile(files.header, files.data.c_str(), files.ownHeader, report, out, given);
        result != 0) {
        return result;
    }
    return CompleteHeader(files.header, report, given, out);
}

} // namespace

bool ScanNodata(const char*& text, BndDescription& d)
{
    const char* start = SkipBlanks(text);
    if (!ScanOptional(text, d.nodata)) {
        return false;
    }
    d.nodataText.assign(start, text);
    return true;
}

int ReadDescription(const char* dataPath, bool quiet, BndDescription& out)
{
    out = BndDescription{};
    const Reporter report(quiet);
    if (IsHeaderPath(dataPath)) {
        return 1;
    }
    const RasterFiles files = RasterFiles::Of(dataPath);
    out.headerFile = files.header;
    if (const int result = ReadHeaderFile(files, report, out); result != 0) {
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
    GivenGeometry given;
    if (ParseHeaderFile(headerPath, headerPath.c_str(), headerPath, quiet, description, given) != 0 ||
        description.dialect != HeaderDialect::Keywords || description.header.nrows < 0 ||
        description.header.ncols < 0) {
        return false;
    }
    if (CompleteHeader(headerPath, quiet, given, description) == 0) {
        described = description;
    }
    return true;
}

} // namespace fennick
