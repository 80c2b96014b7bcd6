#include "format/KeywordHeader.h"

#include <algorithm>
#include <array>

#include "files/Platform.h"
#include "format/FieldScan.h"
#include "format/TextLines.h"

namespace fennick {

namespace {

// A keyword and how its value is scanned.
struct Keyword {
    const char* name;
    bool (*scan)(const char*& text, BndDescription& d, HeaderScratch& s);
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

// A geometry keyword of the record, noted as given so that other tools'
// words do not replace it.
bool Given(bool scanned, bool& given)
{
    given = given || scanned;
    return scanned;
}

// The header's own keywords, then those of other tools' headers.
constexpr std::array<Keyword, 27> kKeywords = {{
    {"nrows", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.nrows); }},
    {"ncols", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.ncols); }},
    {"nbands", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.nbands); }},
    {"nbits", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.nbits); }},
    {"byteorder", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInto(t, d.header.byteorder, 1); }},
    {"layout", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInto(t, d.header.layout, 3); }},
    {"skipbytes", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.skipbytes); }},
    {"ulxmap", [](const char*& t, BndDescription& d,
                  HeaderScratch& s) { return Given(ScanFinite(t, d.header.ulxmap), s.givenUlxmap); }},
    {"ulymap", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanFinite(t, d.header.ulymap); }},
    {"xdim", [](const char*& t, BndDescription& d,
                HeaderScratch& s) { return Given(ScanSpacing(t, d.header.xdim), s.givenXdim); }},
    {"ydim", [](const char*& t, BndDescription& d,
                HeaderScratch& s) { return Given(ScanSpacing(t, d.header.ydim), s.givenYdim); }},
    {"bandrowbytes",
     [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.bandrowbytes); }},
    {"totalrowbytes",
     [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.totalrowbytes); }},
    {"bandgapbytes",
     [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInt(t, d.header.bandgapbytes); }},
    {"Projection",
     [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInto(t, d.header.Projection, 79); }},
    {"Datum", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInto(t, d.header.Datum, 79); }},
    {"Units", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanInto(t, d.header.Units, 39); }},
    {"pixeltype", [](const char*& t, BndDescription&, HeaderScratch& s) { return ScanInto(t, s.pixeltype, 15); }},
    {"datatype", [](const char*& t, BndDescription&, HeaderScratch& s) { return ScanInto(t, s.datatype, 7); }},
    {"cellsize", [](const char*& t, BndDescription&, HeaderScratch& s) { return ScanSpacing(t, s.cellsize); }},
    {"xllcorner", [](const char*& t, BndDescription&, HeaderScratch& s) { return ScanOptional(t, s.xllcorner); }},
    {"yllcorner", [](const char*& t, BndDescription&, HeaderScratch& s) { return ScanOptional(t, s.yllcorner); }},
    {"xllcenter", [](const char*& t, BndDescription&, HeaderScratch& s) { return ScanOptional(t, s.xllcenter); }},
    {"yllcenter", [](const char*& t, BndDescription&, HeaderScratch& s) { return ScanOptional(t, s.yllcenter); }},
    {"nodata", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanNodata(t, d); }},
    {"nodata_value", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanNodata(t, d); }},
    {"nodatavalue", [](const char*& t, BndDescription& d, HeaderScratch&) { return ScanNodata(t, d); }},
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

} // namespace

int ParseKeywordLines(tamsel::CBufferedFile& file, const std::string& headerPath, const Reporter& report,
                      BndDescription& out, HeaderScratch& scratch)
{
    file.Seek(0, tamsel::CBufferedFile::Begin);
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
        if (keyword != nullptr && !keyword->scan(text, out, scratch)) {
            return report.BadRecord(__LINE__, headerPath.c_str(), lineNumber);
        }
    }
    return lines.Error() != 0 ? report.ReadFailed(__LINE__, headerPath.c_str(), lines.Error()) : 0;
}

} // namespace fennick
