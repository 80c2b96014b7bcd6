// Runs the header, world and statistics cases of tests/data/headers.cases
// through the format's reader.
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

#include "files/Platform.h"
#include "format/HeaderReader.h"
#include "support/CaseFile.h"
#include "support/Expect.h"
#include "support/Posix.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

// A number as text, exact enough that two texts are equal only when the numbers are.
std::string Number(double value)
{
    std::ostringstream out;
    out.precision(17);
    out << value;
    return out.str();
}

// Each field of a description as text, under the name the case rows give it.
std::map<std::string, std::string> Fields(const BndDescription& d)
{
    const BndHeader& h = d.header;
    const auto optional = [](const std::optional<double>& value) { return value ? Number(*value) : "none"; };
    std::ostringstream text;
    text.precision(17);
    text << "dialect " << DialectName(d.dialect) << "\nnrows " << h.nrows << "\nncols " << h.ncols << "\nnbands "
         << h.nbands << "\nnbits " << h.nbits << "\nbyteorder " << h.byteorder << "\nlayout " << h.layout
         << "\nskipbytes " << h.skipbytes << "\nulxmap " << h.ulxmap << "\nulymap " << h.ulymap << "\nxdim " << h.xdim
         << "\nydim " << h.ydim << "\nbandrowbytes " << h.bandrowbytes << "\ntotalrowbytes " << h.totalrowbytes
         << "\nbandgapbytes " << h.bandgapbytes << "\nProjection " << h.Projection << "\nDatum " << h.Datum
         << "\nUnits " << h.Units << "\nlayoutCode " << LayoutName(d.layoutCode) << "\nsampleType "
         << static_cast<int>(d.sampleType) << "\nswapBytes " << d.swapBytes << "\nrowsUpward " << d.rowsUpward
         << "\nvalueMin " << d.valueMin << "\nvalueMax " << d.valueMax << "\nnodata " << optional(d.nodata) << "\n";
    std::map<std::string, std::string> fields;
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) {
        fields[line.substr(0, line.find(' '))] = line.substr(line.find(' ') + 1);
    }
    return fields;
}

// `fields` with the "field value" pairs in place ("-" is an empty text).
std::map<std::string, std::string> Expected(std::map<std::string, std::string> fields, const std::string& pairs)
{
    const bool known = !fields.empty(); // else these are the defaults themselves
    std::istringstream in(pairs);
    std::string key;
    std::string value;
    while (in >> key >> value) {
        EXPECT_TRUE(!known || fields.contains(key)) << "no field " << key;
        std::istringstream text(value); // read as C++ does, whatever the C locale
        double number = 0;
        fields[key] = text >> number && text.eof() ? Number(number) : value == "-" ? "" : value;
    }
    return fields;
}

// The cases, and the description every expect starts from: the first case's.
const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = ReadCases("headers.cases");
    return cases;
}

class HeaderCases : public DecimalCommaCases {};

// Names and keywords ignore ASCII case alone, whatever the locale folds.
TEST(HeaderWords, IgnoreAsciiCaseAlone)
{
    EXPECT_FALSE(platform::EqualsIgnoreCase("NR\xC9WS", "nr\xE9ws"));
}

// Each case is read under a decimal-comma locale where one can be had: a
// header holds decimal points whatever the host's locale.
TEST_P(HeaderCases, ReadOrRefusedAsTheRowSays)
{
    const Case& c = GetParam();
    const auto defaults = Expected({}, Cases().at(0).Get("defaults"));
    TempDir dir;
    const std::string name = c.Get("data-path", "scene.bil");
    const std::string data = dir.File(name);
    for (const char* side : {"hdr", "blw", "stx"}) {
        if (c.Has(side)) {
            dir.Lay(name.substr(0, name.rfind('.')) + "." + side, c.Get(side));
        }
    }
    LayFiles(c, dir);
    // What another read left: each read starts from the defaults.
    BndDescription read;
    read.header.bandgapbytes = 7;
    read.rowsUpward = true;
    read.nodata = 5;
    read.valueMax = 9;
    const auto loud = [&] { return ReadDescription(data.c_str(), false, read); };
    if (c.Has("expect")) {
        for (const bool quiet : {true, false}) {
            ASSERT_EQ(ReadDescription(data.c_str(), quiet, read), 0);
            EXPECT_EQ(Fields(read), Expected(defaults, c.Get("expect")));
        }
        return;
    }
    EXPECT_EQ(ReadDescription(data.c_str(), true, read), 1) << "quietly";
    if (c.Has("error")) {
        const orvo::IoError error = CatchIoError(loud);
        EXPECT_EQ(error.what(), std::regex_replace(c.Get("error"), std::regex("<dir>/"), (dir.Path() / "").string()));
        EXPECT_EQ(error.GetSourceFile(), "BndImportFilter");
        const bool badRecord = c.Get("error").find(" at line ") != std::string::npos;
        EXPECT_EQ(error.GetCode(), badRecord ? std::optional(23) : std::nullopt);
    } else {
        EXPECT_EQ(loud(), 1) << "silently";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, HeaderCases, testing::ValuesIn(Cases().begin() + 1, Cases().end()), CaseName);

} // namespace
} // namespace fennick::test
