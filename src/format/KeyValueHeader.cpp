#include "format/KeyValueHeader.h"

#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "files/Platform.h"
#include "format/FieldScan.h"
#include "format/SideFiles.h"
#include "format/TextLines.h"

namespace fennick {

namespace {

// The most of a `map info` list kept: a dozen numbers and names need far less,
// and a list that never ends must not take the memory.
constexpr std::size_t kMaxMapInfo = 4096;

// Each data type the lattice holds: its code, sample width and element type.
struct DataType {
    std::int32_t code;
    std::int32_t bits;
    tamsel::CPrimType::Id type;
};
constexpr DataType kDataTypes[] = {
    {1, 8, tamsel::CPrimType::UInt8},    {2, 16, tamsel::CPrimType::Int16},   {3, 32, tamsel::CPrimType::Int32},
    {4, 32, tamsel::CPrimType::Float32}, {5, 64, tamsel::CPrimType::Float64}, {12, 16, tamsel::CPrimType::UInt16},
    {13, 32, tamsel::CPrimType::UInt32}, {14, 64, tamsel::CPrimType::Int64},
};

// The data types it does not hold, and what their samples are.
struct RefusedType {
    std::int32_t code;
    const char* samples;
};
constexpr RefusedType kRefusedTypes[] = {{6, "complex"}, {9, "double-precision complex"}, {15, "unsigned 64-bit"}};

// Whether nothing but blanks is left of a value: a value is wholly a number
// or it is malformed ("4abc").
bool Ends(const char* text)
{
    return *SkipBlanks(text) == '\0';
}

constexpr const char* kWhole = " must be a whole number of at most 32 bits";

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A key as compared: ASCII lower case, each run of blanks one space.
std::string KeyOf(std::string_view text)
{
    std::string key;
    for (const char c : Trim(text)) {
        if (!IsBlank(c)) {
            key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        } else if (key.back() != ' ') { // never first: the text is trimmed
            key += ' ';
        }
    }
    return key;
}

// The values of one header, read key by key.
class KeyValueReader {
public:
    KeyValueReader(const std::string& path, const Reporter& report, BndDescription& out, HeaderScratch& scratch)
        : path_(path), report_(report), out_(out), scratch_(scratch)
    {
    }

    // Reads the value of `key`, given at line `line`; 0 when read or not a key read.
    int Apply(const std::string& key, const std::string& value, int line);

private:
    int DataTypeOf(std::int32_t code, int line);
    int MapInfo(std::string_view list, int line);
    int Bad(int sourceLine, int line, const std::string& why) const
    {
        return report_.BadRecord(sourceLine, path_.c_str(), line, why.c_str());
    }

    const std::string& path_;
    const Reporter& report_;
    BndDescription& out_;
    HeaderScratch& scratch_;
};

int KeyValueReader::Apply(const std::string& key, const std::string& value, int line)
{
    BndHeader& header = out_.header;
    const char* text = value.c_str();
    const struct {
        const char* key;
        std::int32_t* field;
    } counts[] = {{"samples", &header.ncols},
                  {"lines", &header.nrows},
                  {"bands", &header.nbands},
                  {"header offset", &header.skipbytes}};
    for (const auto& count : counts) {
        if (key == count.key) {
            return ScanInt(text, *count.field) && Ends(text) ? 0 : Bad(__LINE__, line, key + kWhole);
        }
    }
    if (key == "data type") {
        std::int32_t code = 0;
        return ScanInt(text, code) && Ends(text) ? DataTypeOf(code, line) : Bad(__LINE__, line, key + kWhole);
    }
    if (key == "interleave") {
        char word[8];
        if (!ScanWord(text, word, 7) || !Ends(text)) {
            return Bad(__LINE__, line, "interleave must be bsq, bil or bip");
        }
        for (const LayoutNames& layout : kLayouts) {
            if (platform::EqualsIgnoreCase(word, layout.name)) {
                scratch_.layout = layout.code;
                return 0;
            }
        }
        return Bad(__LINE__, line, "interleave must be bsq, bil or bip");
    }
    if (key == "byte order") {
        std::int32_t order = 0;
        if (!ScanInt(text, order) || !Ends(text) || (order != 0 && order != 1)) {
            return Bad(__LINE__, line, "byte order must be 0 or 1");
        }
        header.byteorder[0] = order == 1 ? 'M' : 'I';
        return 0;
    }
    if (key == "map info") {
        return MapInfo(value, line);
    }
    if (key == "data ignore value") {
        return ScanNodata(text, out_) && Ends(text) ? 0 : Bad(__LINE__, line, "data ignore value must be a number");
    }
    return 0;
}

int KeyValueReader::DataTypeOf(std::int32_t code, int line)
{
    for (const DataType& type : kDataTypes) {
        if (type.code == code) {
            out_.header.nbits = type.bits;
            scratch_.sampleType = type.type;
            return 0;
        }
    }
    for (const RefusedType& type : kRefusedTypes) {
        if (type.code == code) {
            return report_.Fail(__LINE__,
                                "%s describes %s samples (data type %d, line %d), which the host's lattice "
                                "cannot hold.",
                                path_.c_str(), type.samples, static_cast<int>(code), line);
        }
    }
    return report_.Fail(__LINE__, "Invalid value %d for data type in %s.", static_cast<int>(code), path_.c_str());
}

// {projection, reference x, reference y, easting, northing, x size, y size,
// ...}: the first cell's upper-left corner lies (reference - 1) cells up and
// left of the reference pixel's position, and its node half a cell in. The
// projection's name (the first item, with the opening brace) is not used.
int KeyValueReader::MapInfo(std::string_view list, int line)
{
    list = list.substr(0, list.find('}'));
    std::vector<std::string> items;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        items.emplace_back(Trim(list.substr(start, comma - start)));
        start = comma + 1;
    }
    if (items.size() < 7) {
        return Bad(__LINE__, line, "map info needs at least 7 fields");
    }
    static constexpr const char* kFields[] = {"reference x", "reference y", "easting", "northing", "x size", "y size"};
    double numbers[6] = {};
    for (std::size_t i = 0; i < 6; ++i) {
        const char* text = items[i + 1].c_str();
        if (!ScanFinite(text, numbers[i]) || !Ends(text)) {
            return Bad(__LINE__, line, std::string("map info's ") + kFields[i] + " must be a finite number");
        }
    }
    const auto [referenceX, referenceY, easting, northing, xSize, ySize] = numbers;
    if (xSize <= 0 || ySize <= 0) {
        return Bad(__LINE__, line, "map info's x size and y size must be above 0");
    }
    for (std::size_t i = 7; i < items.size(); ++i) {
        const std::size_t equals = items[i].find('=');
        if (equals == std::string::npos || KeyOf(std::string_view(items[i]).substr(0, equals)) != "rotation") {
            continue;
        }
        const char* text = items[i].c_str() + equals + 1;
        double rotation = 0.0;
        if (!ScanFinite(text, rotation) || !Ends(text)) {
            return Bad(__LINE__, line, "map info's rotation must be a finite number");
        }
        if (rotation != 0.0) {
            const std::string where = "map info, line " + std::to_string(line) + ": " + items[i];
            return report_.Fail(__LINE__, kRotatedRaster, path_.c_str(), where.c_str());
        }
    }
    BndHeader& header = out_.header;
    scratch_.givenMapInfo = true;
    header.xdim = xSize;
    header.ydim = ySize;
    header.ulxmap = easting - (referenceX - 1) * xSize + xSize / 2;
    header.ulymap = northing + (referenceY - 1) * ySize - ySize / 2;
    return 0; // completion refuses a node beyond the range of numbers
}

} // namespace

bool OpensKeyValueHeader(const std::string& line)
{
    return Trim(line) == "ENVI";
}

// Each key's value is read once it is whole: at its line's end, or at the
// line that closes its brace. Only a map info list is kept across lines; the
// lists that describe are followed to their brace and dropped. Lines without
// "=" outside a brace (blank ones, comments) are read past.
int ParseKeyValueLines(TextLines& lines, const std::string& headerPath, const Reporter& report, BndDescription& out,
                       HeaderScratch& scratch)
{
    scratch.layout = BndLayout::BSQ; // when interleave is absent
    KeyValueReader reader(headerPath, report, out, scratch);
    std::string line;
    std::string key;
    std::string value;
    int lineNumber = 1;
    int keyLine = 0;
    bool open = false; // inside a value's braces
    while (lines.Next(line)) {
        ++lineNumber;
        std::string_view text = line;
        if (!open) {
            const std::size_t equals = text.find('=');
            if (equals == std::string_view::npos) {
                continue;
            }
            key = KeyOf(text.substr(0, equals));
            text = Trim(text.substr(equals + 1));
            keyLine = lineNumber;
            value.clear();
            open = text.starts_with('{');
        }
        if (key == "map info" && value.size() + text.size() > kMaxMapInfo) {
            return report.BadRecord(__LINE__, headerPath.c_str(), keyLine, "map info is longer than 4096 characters");
        }
        if (!open || key == "map info") {
            value.append(text).append(" ");
        }
        if (open && text.find('}') == std::string_view::npos) {
            continue;
        }
        open = false;
        if (const int result = reader.Apply(key, value, keyLine); result != 0) {
            return result;
        }
    }
    if (lines.Error() != 0) {
        return report.ReadFailed(__LINE__, headerPath.c_str(), lines.Error());
    }
    if (open) {
        const std::string why = key + " opens a brace that never closes";
        return report.BadRecord(__LINE__, headerPath.c_str(), keyLine, why.c_str());
    }
    const BndHeader& header = out.header;
    if (!scratch.sampleType && header.nrows > 1 && header.ncols > 1) {
        return report.Fail(__LINE__, "%s gives no data type.", headerPath.c_str());
    }
    return 0;
}

} // namespace fennick
