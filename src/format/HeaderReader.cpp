#include "format/HeaderReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <string>

#include "format/DataGeometry.h"
#include "format/FieldScan.h"
#include "format/Platform.h"
#include "format/Reporting.h"
#include "format/SideFiles.h"
#include "format/TextLines.h"
#include "orvo/IoFilter.h"
#include "pelmo/Pelmo.h"
#include "tamsel/Path.h"

namespace fennick {

namespace {

using orvo::IoFilter;

// A keyword and how its value is scanned into the record.
struct Keyword {
    const char* name;
    bool (*scan)(const char*& text, BndHeader& header);
};

template <std::size_t N>
bool ScanInto(const char*& text, char (&field)[N], std::size_t width)
{
    return ScanWord(text, field, std::min(width, N - 1));
}

constexpr std::array<Keyword, 17> kKeywords = {{
    {"nrows", [](const char*& t, BndHeader& h) { return ScanInt(t, h.nrows); }},
    {"ncols", [](const char*& t, BndHeader& h) { return ScanInt(t, h.ncols); }},
    {"nbands", [](const char*& t, BndHeader& h) { return ScanInt(t, h.nbands); }},
    {"nbits", [](const char*& t, BndHeader& h) { return ScanInt(t, h.nbits); }},
    {"byteorder", [](const char*& t, BndHeader& h) { return ScanInto(t, h.byteorder, 1); }},
    {"layout", [](const char*& t, BndHeader& h) { return ScanInto(t, h.layout, 3); }},
    {"skipbytes", [](const char*& t, BndHeader& h) { return ScanInt(t, h.skipbytes); }},
    {"ulxmap", [](const char*& t, BndHeader& h) { return ScanDouble(t, h.ulxmap); }},
    {"ulymap", [](const char*& t, BndHeader& h) { return ScanDouble(t, h.ulymap); }},
    {"xdim", [](const char*& t, BndHeader& h) { return ScanDouble(t, h.xdim); }},
    {"ydim", [](const char*& t, BndHeader& h) { return ScanDouble(t, h.ydim); }},
    {"bandrowbytes", [](const char*& t, BndHeader& h) { return ScanInt(t, h.bandrowbytes); }},
    {"totalrowbytes", [](const char*& t, BndHeader& h) { return ScanInt(t, h.totalrowbytes); }},
    {"bandgapbytes", [](const char*& t, BndHeader& h) { return ScanInt(t, h.bandgapbytes); }},
    {"Projection", [](const char*& t, BndHeader& h) { return ScanInto(t, h.Projection, 79); }},
    {"Datum", [](const char*& t, BndHeader& h) { return ScanInto(t, h.Datum, 79); }},
    {"Units", [](const char*& t, BndHeader& h) { return ScanInto(t, h.Units, 39); }},
}};

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

int ParseHeaderLines(tamsel::CBufferedFile& file, const std::string& headerPath, bool quiet, BndHeader& header)
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
        if (!keyword->scan(text, header)) {
            return RecordError(kImportSource, __LINE__, headerPath.c_str(), quiet, lineNumber);
        }
    }
    return lines.Error() != 0 ? TextReadFailed(headerPath.c_str(), lines.Error(), quiet) : 0;
}

// Completes the absent values, refuses values the import cannot use, and
// derives the layout code, byte order and sample type.
int CompleteHeader(const std::string& headerPath, bool quiet, BndDescription& out)
{
    BndHeader& header = out.header;
    if (header.nrows <= 1 || header.ncols <= 1) {
        return 1;
    }
    const auto invalid = [&](std::int64_t value, const char* keyword) {
        if (quiet) {
            return 1;
        }
        IoFilter::ThrowError(kImportSource, __LINE__, "Invalid value %d for %s in %s.", static_cast<int>(value),
                             keyword, headerPath.c_str());
    };
    if (header.nbands < 1) {
        return invalid(header.nbands, "nbands");
    }
    if (!IsDecodableWidth(header.nbits)) {
        return invalid(header.nbits, "nbits");
    }
    if (header.skipbytes < 0) {
        return invalid(header.skipbytes, "skipbytes");
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

    if (header.ulymap == NoValue) {
        header.ulymap = header.nrows - 1;
    }
    // Default row sizes are the whole bytes a row occupies. A derived size that
    // does not fit its 32-bit field is blamed on the count that makes it so.
    constexpr std::int64_t fieldMax = std::numeric_limits<std::int32_t>::max();
    if (header.bandrowbytes == -1) {
        const auto bytes = PackedBytes(header.ncols, header.nbits);
        if (!bytes || *bytes > fieldMax) {
            return invalid(header.ncols, "ncols");
        }
        header.bandrowbytes = static_cast<std::int32_t>(*bytes);
    }

    out.layoutCode = BndLayout::BIL;
    if (platform::EqualsIgnoreCase(header.layout, "BIP")) {
        out.layoutCode = BndLayout::BIP;
    } else if (platform::EqualsIgnoreCase(header.layout, "BSQ")) {
        out.layoutCode = BndLayout::BSQ;
    }

    if (header.totalrowbytes == -1 && out.layoutCode != BndLayout::BSQ) {
        const auto bytes = out.layoutCode == BndLayout::BIL
                               ? std::optional(std::int64_t{header.nbands} * header.bandrowbytes)
                               : PackedBytes(std::int64_t{header.ncols} * header.nbands, header.nbits);
        if (!bytes || *bytes > fieldMax) {
            return invalid(header.nbands, "nbands");
        }
        header.totalrowbytes = static_cast<std::int32_t>(*bytes);
    }

    out.swapBytes = header.byteorder[0] == 'M' || header.byteorder[0] == 'm';
    out.sampleType = header.nbits == 16   ? tamsel::CPrimType::Int16
                     : header.nbits == 32 ? tamsel::CPrimType::Int32
                                          : tamsel::CPrimType::Int8;

    if (header.nbits == 1 && header.nbands != 1) {
        if (quiet) {
            return 1;
        }
        IoFilter::ThrowError(kImportSource, __LINE__, "When nbits is 1, nbands must also be 1.");
    }
    return 0;
}

} // namespace

int ReadHeaderFile(const char* dataPath, bool quiet, BndDescription& out)
{
    if (!tamsel::CPath::HasExtension(dataPath)) {
        return 1;
    }
    const std::string headerPath = tamsel::CPath::ChangeExtension(dataPath, ".hdr");
    {
        tamsel::CBufferedFile file;
        if (!file.OpenNoThrow(headerPath.c_str(), "rt", kShare, false)) {
            const std::string reason = platform::UnreadableReason(headerPath.c_str(), errno);
            if (quiet) {
                return 1;
            }
            if (!reason.empty()) {
                IoFilter::ThrowError(kImportSource, __LINE__,
                                     "The header file %s cannot be read (%s).\r\nThis file is required and must be "
                                     "a text file in the same folder as %s.",
                                     headerPath.c_str(), reason.c_str(), dataPath);
            }
            IoFilter::ThrowError(
                kImportSource, __LINE__,
                "Unable to find the header file %s.\r\nThis file is required and must be in the same folder as %s.",
                headerPath.c_str(), dataPath);
        }
        if (pelmo::IsBinary(file, 256)) {
            if (quiet) {
                return 1;
            }
            IoFilter::ThrowError(kImportSource, __LINE__, "%s must be in ASCII form for %s.", headerPath.c_str(),
                                 dataPath);
        }
        if (const int result = ParseHeaderLines(file, headerPath, quiet, out.header); result != 0) {
            return result;
        }
    }
    return CompleteHeader(headerPath, quiet, out);
}

int ReadDescription(const char* dataPath, bool quiet, BndDescription& out)
{
    out = BndDescription{};
    if (const int result = ReadHeaderFile(dataPath, quiet, out); result != 0) {
        return result;
    }
    if (const int result = ReadWorldFile(dataPath, quiet, out.header); result != 0) {
        return result;
    }
    return ReadStatisticsFile(dataPath, quiet, out.valueMin, out.valueMax);
}

} // namespace fennick
