#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <tuple>

#include "RasterWriter.h"
#include "hostside/ParamReader.h"
#include "import/BndImportFilter.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

using rasters::RasterShape;
using rasters::Samples;

using orvo::ImportStatus;
using tamsel::CPrimType;

class Import : public ::testing::Test {
protected:
    // Writes scene.<ext> and its header for `shape`; returns the data path.
    std::string Write(const RasterShape& shape, const Samples& samples, const std::string& name = "scene.dat")
    {
        rasters::WriteRaster(dir.File(name), shape, rasters::Of(samples));
        return dir.File(name);
    }

    TempDir dir;
};

// The lattice type of each width and pixeltype: 1- and 4-bit samples unpack
// into 8-bit cells, 8-bit ones are unsigned unless SIGNEDINT, wider ones
// signed unless UNSIGNEDINT or FLOAT.
const std::map<std::pair<int, std::string>, int> kElementType = {{{1, ""}, CPrimType::Int8},
                                                                 {{4, ""}, CPrimType::Int8},
                                                                 {{8, ""}, CPrimType::UInt8},
                                                                 {{8, "SIGNEDINT"}, CPrimType::Int8},
                                                                 {{8, "UNSIGNEDINT"}, CPrimType::UInt8},
                                                                 {{16, ""}, CPrimType::Int16},
                                                                 {{16, "SIGNEDINT"}, CPrimType::Int16},
                                                                 {{16, "UNSIGNEDINT"}, CPrimType::UInt16},
                                                                 {{32, ""}, CPrimType::Int32},
                                                                 {{32, "SIGNEDINT"}, CPrimType::Int32},
                                                                 {{32, "UNSIGNEDINT"}, CPrimType::UInt32},
                                                                 {{32, "FLOAT"}, CPrimType::Float32},
                                                                 {{64, ""}, CPrimType::Int64},
                                                                 {{64, "FLOAT"}, CPrimType::Float64}};

// `text`, a header of a keyword and a value a line, as another writer may
// spell it: a byte-order mark, keywords and words of any case, any blanks
// and line ends (the last line may have none), words after the value, and
// before each line a comment, a blank line, a value it overrides or a word too
// long to be its keyword.
std::string Respelled(const std::string& text, std::mt19937& random)
{
    const auto any = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const auto anyCase = [&](std::string word) {
        for (char& c : word) {
            c = static_cast<char>(random() % 2 != 0 ? std::toupper(c) : std::tolower(c));
        }
        return word;
    };
    std::string out = any({"", "\xEF\xBB\xBF"});
    std::istringstream lines(text);
    for (std::string keyword, value; lines >> keyword >> value;) {
        const std::string end = any({"\n", "\r\n", "\r"});
        out += any({"", "# a comment" + end, end, keyword + " 999" + end, keyword + "xxxxxxxxxxxxxxxxxxx 999" + end});
        out += any({"", " ", "\t"}) + anyCase(keyword) + any({" ", "\t", "\v", "\f"}) + anyCase(value) +
               any({"", " and words"}) + end;
    }
    return random() % 2 != 0 ? out : out.substr(0, out.find_last_not_of("\r\n") + 1);
}

// Every layout, width, byte order, band count (the vector interleave takes 2
// to 4, squares of 16 / size bands 5 and more, the strided loop what they
// leave) and pixeltype, with odd widths, leading bytes, band gaps and row
// padding, under a keyword header spelled any way or one of the key = value
// dialect (each of its data types the lattice holds): the lattice rows must be
// exactly the values the raster maker packed (float samples are their bit
// patterns, 64-bit ones its wide ones), and a correct file must probe 1 and
// import without a question. Every other raster runs upward (a world file's
// positive y step): its first row is the southernmost, so its last comes first.
TEST_F(Import, DecodesEveryLayoutWidthOrderAndArrangement)
{
    std::vector<RasterShape> shapes;
    for (const std::string layout : {"BIL", "BIP", "BSQ"}) {
        const bool bsq = layout == "BSQ";
        for (const char order : {'I', 'M'}) {
            for (const auto& [nbits, pixeltype] : {std::pair{8, ""},
                                                   {16, ""},
                                                   {16, "UNSIGNEDINT"},
                                                   {32, ""},
                                                   {32, "UNSIGNEDINT"},
                                                   {32, "FLOAT"},
                                                   {64, ""},
                                                   {64, "FLOAT"}}) {
                shapes.push_back({.layout = layout,
                                  .nbits = nbits,
                                  .byteorder = order,
                                  .nrows = 3,
                                  .ncols = 10,
                                  .nbands = 9,
                                  .skipbytes = 5,
                                  .pixeltype = pixeltype,
                                  .keyValue = true});
            }
            for (const int nbits : {1, 4, 8, 16, 32}) {
                for (const int nbands : {1, 2, 3, 4, 5, 9, 17}) {
                    if (nbits == 1 && nbands != 1) {
                        continue;
                    }
                    // Fields in order: layout, nbits, byteorder, nrows, ncols, nbands,
                    // skipbytes, bandgapbytes, bandRowPadding, totalRowPadding.
                    RasterShape shape{layout, nbits, order, 12, 13, nbands};
                    for (const std::string pixeltype : {"", "SIGNEDINT", "UNSIGNEDINT", "FLOAT"}) {
                        if (pixeltype.empty() || (nbits >= 8 && (nbits == 32 || pixeltype != "FLOAT"))) {
                            shape.pixeltype = pixeltype;
                            shapes.push_back(shape);
                        }
                    }
                    shapes.push_back(
                        {layout, nbits, order, 12, 3, nbands, 7, bsq ? 5 : 0, layout == "BIP" ? 0 : 3, bsq ? 0 : 2});
                    // Rows wide enough for the vector loops' whole blocks, and a tail.
                    if (layout == "BIL") {
                        shapes.push_back({layout, nbits, order, 3, 300, nbands});
                    }
                }
            }
        }
    }
    // Band rows long enough that BSQ reads them a few rows at a time, the
    // last window holding one: downward, then upward.
    shapes.insert(shapes.end(), 2, {"BSQ", 16, 'M', 13, 26000, 3, 0, 5, 3});
    std::mt19937 random(42);
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const RasterShape& shape = shapes[i];
        const bool upward = i % 2 == 1;
        const std::string header = shape.keyValue ? HeaderText(shape) : Respelled(HeaderText(shape), random);
        SCOPED_TRACE(testing::PrintToString(header) + (upward ? ", upward" : ""));
        const Samples samples = MakeSamples(shape, static_cast<std::uint32_t>(shape.nbits + shape.ncols));
        const std::vector<unsigned char> bytes = rasters::DataBytes(shape, samples);
        const std::string data = dir.Write("scene.dat", std::string(bytes.begin(), bytes.end()));
        dir.Write("scene.hdr", header);
        if (upward) {
            dir.Write("scene.blw", "10\n0\n0\n20\n1000\n2000\n");
        } else {
            std::filesystem::remove(dir.File("scene.blw"));
        }
        TestHost host;
        BndImportFilter filter(host);
        EXPECT_EQ(filter.ProbeFile(data.c_str()), 1);
        ASSERT_EQ(filter.ImportFromFile(data.c_str(), false), ImportStatus::Done);
        EXPECT_TRUE(host.warnings.empty());
        ASSERT_TRUE(host.lattice);
        TestHost::Lattice expected{.type = kElementType.at({shape.nbits, shape.pixeltype}),
                                   .columns = shape.ncols,
                                   .rows = shape.nrows,
                                   .components = shape.nbands};
        if (upward) {
            std::tie(expected.xMin, expected.yMin, expected.dx, expected.dy) = std::tuple(1000, 2000, 10, 20);
        }
        EXPECT_EQ(*host.lattice, expected) << "size, type, storage and geometry";
        ASSERT_EQ(host.rows.size(), static_cast<std::size_t>(shape.nrows));
        for (int row = 0; row < shape.nrows; ++row) {
            ASSERT_EQ(host.rows[row], LatticeRow(shape, samples, upward ? shape.nrows - 1 - row : row))
                << "row " << row;
        }
    }
}

// What the import puts beside the lattice for a host: the facts of the files
// it read, each absent that does not apply, and the summary of its geometry
// and value range.
TEST_F(Import, FactsAndSummarySayWhatTheImportRead)
{
    const struct {
        const char* data;
        std::vector<std::pair<const char*, std::string>> files; // the data file's first
        std::string facts;                                      // "key=value;..." of every fact the import sets
        std::string summary;                                    // lines the LatticeInfo text holds
    } cases[] = {
        {"scene.bil",
         {{"scene.bil", "\x12\x34\x56\x78\x9A"}, {"scene.hdr", "nrows 2\nncols 4\nnbits 4\nlayout BIP\n"}},
         "BndBits=4;BndByteOrder=I;BndDataSize=5;BndDescribedSize=4;BndHeaderDialect=keywords;BndHeaderFile=scene.hdr;"
         "BndLayout=BIP;BndPixelType=UNSIGNEDINT;",
         "Size:\t2 rows x 4 columns x 1 planes\r\n"},
        {"scene.bil",
         {{"scene.bil", std::string(12, '\0')},
          {"scene.hdr",
           "nrows 3\nncols 4\nbyteorder M\npixeltype SIGNEDINT\nnodata_value\t-3.5e1 \nxdim -0.1\nydim 0.1\n"},
          {"scene.stx", "1 12.5 880\n"}},
         "BndBits=8;BndByteOrder=M;BndDataSize=12;BndDescribedSize=12;BndHeaderDialect=keywords;BndHeaderFile=scene."
         "hdr;"
         "BndLayout=BIL;BndNodata=-3.5e1;BndPixelType=SIGNEDINT;BndStatisticsFile=scene.stx;",
         "Spacing:\tX=0.1,   Y=0.1,   "
         "Z=867.5\r\nxMin:\t0\txMax:\t-0.3\r\nyMin:\t1.8\tyMax:\t2\r\nzMin:\t12.5\tzMax:\t880\r\n"
         "SW Corner:\t0, 1.8\r\nNW Corner:\t0, 2\r\nNE Corner:\t-0.3, 2\r\nSE Corner:\t-0.3, 1.8\r\n"},
        {"geo.bsq",
         {{"geo.bsq", std::string(16, '\0')},
          {"geo.hdr", "nrows 2\nncols 2\nnbits 32\npixeltype UNSIGNEDINT\nlayout BSQ\n"},
          {"geo.blw", "30\n0\n0\n-30\n500000\n4100000\n"}},
         "BndBits=32;BndByteOrder=I;BndDataSize=16;BndDescribedSize=16;BndHeaderDialect=keywords;BndHeaderFile=geo.hdr;"
         "BndLayout=BSQ;BndPixelType=UNSIGNEDINT;BndWorldFile=geo.blw;",
         "xMin:\t500000\txMax:\t500030\r\nyMin:\t4099970\tyMax:\t4100000\r\n"},
        {"scene",
         {{"scene", std::string("\x00\x00\x80\x3F\x00\x00\x00\x40\x00\x00\x40\x40\x00\x00\x80\x40", 16)},
          {"scene.hdr", "ENVI\nsamples = 2\nlines = 2\ndata type = 4\ndata ignore value = -3.4e38\n"}},
         "BndBits=32;BndByteOrder=I;BndDataSize=16;BndDescribedSize=16;BndHeaderDialect=key-value;"
         "BndHeaderFile=scene.hdr;BndLayout=BSQ;BndNodata=-3.4e38;BndPixelType=FLOAT;",
         "Size:\t2 rows x 2 columns x 1 planes\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.facts);
        const TempDir folder;
        for (const auto& [name, content] : c.files) {
            folder.Write(name, content);
        }
        TestHost host;
        host.warningAnswer = 1;
        BndImportFilter filter(host);
        ASSERT_EQ(filter.ImportFromFile(folder.File(c.data).c_str(), false), ImportStatus::Done);
        std::string facts;
        std::string summary;
        for (const auto& [key, value] : tamsel::CParamReader::Items(host.params)) {
            std::string shown = value;
            if (shown.starts_with(folder.File(""))) {
                shown.erase(0, folder.File("").size()); // the files without their folder
            }
            (key == "LatticeInfo" ? summary : facts) += key == "LatticeInfo" ? shown : key + "=" + shown + ";";
        }
        EXPECT_EQ(facts, c.facts);
        EXPECT_NE(summary.find(c.summary), std::string::npos) << summary;
    }
}

// A longer file asks; declined, the host sees nothing at all.
TEST_F(Import, ALongerFileAsksAndDeclinedTheHostSeesNothing)
{
    RasterShape shape;
    const std::string data = Write(shape, MakeSamples(shape));
    std::filesystem::resize_file(data, 21);
    for (const int answer : {0, 1}) {
        TestHost host;
        host.warningAnswer = answer;
        BndImportFilter filter(host);
        EXPECT_EQ(filter.ProbeFile(data.c_str()), 2);
        EXPECT_EQ(filter.ImportFromFile(data.c_str(), false),
                  answer == 1 ? ImportStatus::Done : ImportStatus::Declined);
        EXPECT_EQ(host.warnings,
                  std::vector<std::string>{data + " is larger than it should be.\r\n\r\nThis can happen if "
                                                  "CR/LF translation was performed during unpacking.  "
                                                  "Continue anyway?"});
        EXPECT_EQ(host.rows.size(), answer == 1 ? 4U : 0U);
        EXPECT_EQ(host.progressStarts, answer);
        EXPECT_EQ(host.lattice.has_value(), answer == 1);
    }
}

// Progress is reported every tenth row; a refused lattice, a refused row and a
// cancel at a report stop the import, with the rows before it handed over,
// and the progress display closed.
TEST_F(Import, RefusalsCancelAndProgressEndTheImportCleanly)
{
    RasterShape shape{.nrows = 25};
    const std::string data = Write(shape, MakeSamples(shape));
    const struct {
        bool refuseLattice;
        std::optional<int> refuseRow, cancelAt; // cancelled at the report of row 20
        std::size_t rows;
        int progressStarts;
    } cases[] = {{false, {}, {}, 25, 1}, {true, {}, {}, 0, 0}, {false, 3, {}, 3, 1}, {false, {}, 2, 20, 1}};
    for (const auto& c : cases) {
        TestHost host;
        host.refuseLattice = c.refuseLattice;
        host.refuseRow = c.refuseRow;
        host.cancelAtProportionCall = c.cancelAt;
        BndImportFilter filter(host);
        EXPECT_EQ(filter.ImportFromFile(data.c_str(), false),
                  c.rows == 25 ? ImportStatus::Done : ImportStatus::Stopped);
        EXPECT_EQ(host.rows.size(), c.rows);
        EXPECT_EQ(host.progressStarts, c.progressStarts);
        EXPECT_FALSE(host.ProgressOpen());
        if (c.rows == 25) {
            EXPECT_EQ(host.proportions, (std::vector<double>{0.0, 0.4, 0.8}));
            EXPECT_EQ(host.messages, std::vector<std::string>{"Importing banded file scene.dat"});
        }
    }
}

TEST_F(Import, AFileThatShrinksDuringTheImportRaisesCode8AtTheRightRow)
{
    RasterShape shape{.nrows = 10, .ncols = 10};
    const std::string data = Write(shape, MakeSamples(shape));
    TestHost host;
    host.onLattice = [&] { std::filesystem::resize_file(data, 55); };
    BndImportFilter filter(host);
    const orvo::IoError error = CatchIoError([&] { filter.ImportFromFile(data.c_str(), false); });
    EXPECT_EQ(error.GetCode(), 8);
    EXPECT_NE(std::string(error.what()).find(data), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("Premature end of file."), std::string::npos);
    EXPECT_EQ(host.rows.size(), 5U);
    EXPECT_FALSE(host.ProgressOpen()) << "the progress display closes on the way out";
}

TEST_F(Import, SamplesBeyondFourGigabytesOfASparseFile)
{
    constexpr std::int64_t G = 1000000000;
    // BSQ: two bands of two 1e9-byte rows after 2e9 leading bytes and a 2e9 gap.
    dir.Write("far.hdr", "nrows 2\nncols 2\nnbands 2\nlayout BSQ\nskipbytes 2000000000\nbandrowbytes 1000000000\n"
                         "bandgapbytes 2000000000\n");
    const std::string bsq = dir.File("far.bsq");
    ASSERT_TRUE(
        WriteSparse(bsq, 8 * G, {{2 * G, "\x01\x02"}, {3 * G, "\x03\x04"}, {6 * G, "\x05\x06"}, {7 * G, "\x07\x08"}}));
    // BIL: three rows of 2e9 bytes after 2e9 leading bytes.
    dir.Write("wide.hdr", "nrows 3\nncols 2\nskipbytes 2000000000\ntotalrowbytes 2000000000\n");
    const std::string bil = dir.File("wide.bil");
    ASSERT_TRUE(WriteSparse(bil, 8 * G, {{2 * G, "\x01\x02"}, {4 * G, "\x03\x04"}, {6 * G, "\x05\x06"}}));

    const struct {
        std::string path;
        std::vector<std::vector<unsigned char>> rows;
    } cases[] = {{bsq, {{1, 5, 2, 6}, {3, 7, 4, 8}}}, {bil, {{1, 2}, {3, 4}, {5, 6}}}};
    for (const auto& c : cases) {
        TestHost host;
        BndImportFilter filter(host);
        EXPECT_EQ(filter.ProbeFile(c.path.c_str()), 1) << c.path;
        ASSERT_EQ(filter.ImportFromFile(c.path.c_str(), false), ImportStatus::Done) << c.path;
        EXPECT_EQ(host.rows, c.rows) << c.path;
    }
}

} // namespace
} // namespace fennick::test
