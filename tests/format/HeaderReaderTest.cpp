#include <functional>
#include <gtest/gtest.h>

#include "import/BndImportFilter.h"
#include "support/Expect.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

struct GoodHeader {
    const char* name;
    std::string text;
    std::function<void(const BndImportFilter&)> check;
};

const std::vector<GoodHeader>& GoodHeaders()
{
    static const std::vector<GoodHeader> cases = {
        {"OnlyRowsAndColumnsTakeEveryDefault", "nrows 3\nncols 4\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 3);
             EXPECT_EQ(f.header.ncols, 4);
             EXPECT_EQ(f.header.nbands, 1);
             EXPECT_EQ(f.header.nbits, 8);
             EXPECT_EQ(f.layoutCode, BndLayout::BIL);
             EXPECT_EQ(f.header.skipbytes, 0);
             EXPECT_EQ(f.header.bandrowbytes, 4);
             EXPECT_EQ(f.header.totalrowbytes, 4);
             EXPECT_EQ(f.header.ulxmap, 0.0);
             EXPECT_EQ(f.header.ulymap, 2.0);
             EXPECT_EQ(f.header.xdim, 1.0);
             EXPECT_EQ(f.header.ydim, 1.0);
             EXPECT_EQ(f.sampleType, 0);
             EXPECT_FALSE(f.swapBytes);
             EXPECT_EQ(f.valueMin, 0.0);
             EXPECT_EQ(f.valueMax, 1.0);
         }},
        {"KeywordsIgnoreCaseAndLayoutTakesThreeLetters", "NROWS 3\r\nNcols 4\r\nlayout bsqx\r\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 3);
             EXPECT_EQ(f.header.ncols, 4);
             EXPECT_EQ(f.layoutCode, BndLayout::BSQ);
             EXPECT_STREQ(f.header.layout, "bsq");
             EXPECT_EQ(f.header.totalrowbytes, -1);
         }},
        {"CarriageReturnsAloneEndLines", "nrows 3\rncols 4\rnbands 2\r",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 3);
             EXPECT_EQ(f.header.ncols, 4);
             EXPECT_EQ(f.header.nbands, 2);
         }},
        {"ByteOrderMarkIsSkippedAndLineEndsMix", "\xEF\xBB\xBFnrows 3\r\nncols 4\n\rnbits 16",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 3);
             EXPECT_EQ(f.header.ncols, 4);
             EXPECT_EQ(f.header.nbits, 16);
         }},
        {"UnknownLayoutIsBil", "nrows 3\nncols 4\nlayout XYZ\n",
         [](const BndImportFilter& f) { EXPECT_EQ(f.layoutCode, BndLayout::BIL); }},
        {"ByteOrderMSwaps", "nrows 3\nncols 4\nbyteorder MSBFIRST\n",
         [](const BndImportFilter& f) {
             EXPECT_TRUE(f.swapBytes);
             EXPECT_STREQ(f.header.byteorder, "M");
         }},
        {"ByteOrderLowerMSwaps", "nrows 3\nncols 4\nbyteorder m\n",
         [](const BndImportFilter& f) { EXPECT_TRUE(f.swapBytes); }},
        {"ByteOrderLsbFirstDoesNotSwap", "nrows 3\nncols 4\nbyteorder LSBFIRST\n",
         [](const BndImportFilter& f) { EXPECT_FALSE(f.swapBytes); }},
        {"FourBitsRoundHalfAByteUp", "nrows 3\nncols 5\nnbits 4\n",
         [](const BndImportFilter& f) { EXPECT_EQ(f.header.bandrowbytes, 3); }},
        {"OneBitRowsTakeTheirWholeLastByte", "nrows 3\nncols 9\nnbits 1\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.bandrowbytes, 2);
             EXPECT_EQ(f.header.totalrowbytes, 2);
         }},
        {"OneBitBipRowsTakeTheirWholeLastByte", "nrows 3\nncols 10\nnbits 1\nlayout BIP\n",
         [](const BndImportFilter& f) { EXPECT_EQ(f.header.totalrowbytes, 2); }},
        {"SixteenBitBip", "nrows 3\nncols 10\nnbits 16\nnbands 3\nlayout BIP\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.layoutCode, BndLayout::BIP);
             EXPECT_EQ(f.header.totalrowbytes, 60);
             EXPECT_EQ(f.sampleType, 2);
         }},
        {"SixteenBitBil", "nrows 3\nncols 10\nnbits 16\nnbands 3\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.bandrowbytes, 20);
             EXPECT_EQ(f.header.totalrowbytes, 60);
         }},
        {"ExplicitRowSizesStayAndMinusOneMeansAbsent", "nrows 3\nncols 10\nbandrowbytes 100\ntotalrowbytes -1\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.bandrowbytes, 100);
             EXPECT_EQ(f.header.totalrowbytes, 100);
         }},
        {"IntegersStopAtThePointAndDoublesTakeExponents", "nrows 10.7\nncols 4\nxdim 2.5e-3\nydim -7\nnbits 32\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 10);
             EXPECT_DOUBLE_EQ(f.header.xdim, 0.0025);
             EXPECT_EQ(f.header.ydim, -7.0);
             EXPECT_EQ(f.sampleType, 4);
         }},
        {"CommentsBlanksAndLeadingWhiteSpace",
         "# any comment\n\npixeltype FLOAT\n   nrows 7\n\tncols 4 trailing words\nulymap 123.5\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 7);
             EXPECT_EQ(f.header.ncols, 4);
             EXPECT_EQ(f.header.ulymap, 123.5);
         }},
        {"OverlongFirstWordNeverMatches", "nrows 3\nncols 4\nnrowsxxxxxxxxxxxxxxx 9\nNCOLSYYYYYYYYYYYYYYYYYYYYYY 5\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 3);
             EXPECT_EQ(f.header.ncols, 4);
         }},
        {"LaterLinesOverwriteEarlierOnes", "nrows 3\nncols 4\nnrows 5\nnbands 2\nnbands 1\n",
         [](const BndImportFilter& f) {
             EXPECT_EQ(f.header.nrows, 5);
             EXPECT_EQ(f.header.nbands, 1);
         }},
        {"WordsAreCutToTheirFieldWidths",
         "nrows 3\nncols 4\nProjection GEOGRAPHIC extra words\nUnits " + std::string(50, 'u') + "\nDatum " +
             std::string(100, 'd') + "\n",
         [](const BndImportFilter& f) {
             EXPECT_STREQ(f.header.Projection, "GEOGRAPHIC");
             EXPECT_EQ(std::string(f.header.Units), std::string(39, 'u'));
             EXPECT_EQ(std::string(f.header.Datum), std::string(79, 'd'));
         }},
        {"ValueOfNoValueForUlymapMeansAbsent", "nrows 4\nncols 4\nulymap -1.7976931348623157e308\n",
         [](const BndImportFilter& f) { EXPECT_EQ(f.header.ulymap, 3.0); }},
    };
    return cases;
}

class HeaderReader : public ::testing::Test {
protected:
    // Writes the header (and side files) for "scene.bil" and returns the data path.
    std::string Scene(const std::string& headerText, const std::string& world = {}, const std::string& stats = {})
    {
        dir.Write("scene.hdr", headerText);
        if (!world.empty()) {
            dir.Write("scene.blw", world);
        }
        if (!stats.empty()) {
            dir.Write("scene.stx", stats);
        }
        return dir.File("scene.bil");
    }

    TempDir dir;
    TestHost host;
    BndImportFilter filter{host};
};

TEST_F(HeaderReader, ReadsEveryGoodHeaderQuietlyOrNot)
{
    for (const GoodHeader& c : GoodHeaders()) {
        SCOPED_TRACE(c.name);
        const std::string data = Scene(c.text);
        for (const bool quiet : {true, false}) {
            ASSERT_EQ(filter.ReadHeader(data.c_str(), quiet), 0);
            c.check(filter);
        }
    }
}

struct BadHeader {
    const char* name;
    std::string text;
    std::string message; // exact text of the raised error; empty: returns 1 silently
    int badLine = 0;     // line of a code-23 error
};

TEST_F(HeaderReader, RefusesEveryBadHeaderQuietlyOrWithItsMessage)
{
    const std::string hdr = dir.File("scene.hdr");
    const std::vector<BadHeader> cases = {
        {"MalformedDouble", "nrows 3\nncols 4\n\nxdim abc\n", "", 4},
        {"KeywordWithoutValue", "nrows 3\nncols 4\nydim\n", "", 3},
        {"LinesCountedAcrossCarriageReturns", "nrows 3\rncols 4\r\rxdim abc\r", "", 4},
        {"ProjectionWithoutValue", "# c\nProjection   \nnrows 3\nncols 4\n", "", 2},
        {"OneRow", "nrows 1\nncols 4\n", ""},
        {"NoRows", "ncols 4\n", ""},
        {"ZeroBands", "nrows 3\nncols 4\nnbands 0\n", "Invalid value 0 for nbands in " + hdr + "."},
        {"ZeroBits", "nrows 3\nncols 4\nnbits 0\n", "Invalid value 0 for nbits in " + hdr + "."},
        {"BilRowBeyond32Bits", "nrows 3\nncols 100000\nnbands 100000\n",
         "Invalid value 100000 for nbands in " + hdr + "."},
        {"BipRowBeyond64Bits", "nrows 3\nncols 2000000000\nnbands 2000000000\nnbits 32\nlayout BIP\nbandrowbytes 1\n",
         "Invalid value 2000000000 for nbands in " + hdr + "."},
    };
    for (const BadHeader& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string data = Scene(c.text);
        EXPECT_EQ(filter.ReadHeader(data.c_str(), true), 1);
        if (c.badLine > 0) {
            ExpectBadRecord(CatchIoError([&] { filter.ReadHeader(data.c_str(), false); }), c.badLine, hdr);
        } else if (c.message.empty()) {
            EXPECT_EQ(filter.ReadHeader(data.c_str(), false), 1);
        } else {
            const orvo::IoError error = CatchIoError([&] { filter.ReadHeader(data.c_str(), false); });
            EXPECT_EQ(std::string(error.what()), c.message);
            EXPECT_EQ(error.GetSourceFile(), "BndImportFilter");
        }
    }
}

TEST_F(HeaderReader, MissingOrBinaryHeaderAndPathsWithoutExtension)
{
    const std::string data = dir.File("scene.bil");
    const std::string hdr = dir.File("scene.hdr");
    EXPECT_EQ(filter.ReadHeader(data.c_str(), true), 1);
    EXPECT_EQ(std::string(CatchIoError([&] { filter.ReadHeader(data.c_str(), false); }).what()),
              "Unable to find the header file " + hdr +
                  ".\r\nThis file is required and must be in the same folder as " + data + ".");

    dir.Write("scene.hdr", std::string("nrows 3\0ncols 4\n", 16));
    EXPECT_EQ(filter.ReadHeader(data.c_str(), true), 1);
    EXPECT_EQ(std::string(CatchIoError([&] { filter.ReadHeader(data.c_str(), false); }).what()),
              hdr + " must be in ASCII form for " + data + ".");

    dir.Write("noext.hdr", "nrows 3\nncols 4\n");
    EXPECT_EQ(filter.ReadHeader(dir.File("noext").c_str(), false), 1);
}

TEST_F(HeaderReader, WorldFileReplacesTheGeometry)
{
    const std::string data = Scene("nrows 3\nncols 4\nulymap 99\nxdim 5\n", "30\nrot\n\n-30\n615\n825\n7\n8\n");
    ASSERT_EQ(filter.ReadHeader(data.c_str(), false), 0);
    EXPECT_EQ(filter.header.xdim, 30.0);
    EXPECT_EQ(filter.header.ydim, -30.0);
    EXPECT_EQ(filter.header.ulxmap, 615.0);
    EXPECT_EQ(filter.header.ulymap, 825.0);

    Scene("nrows 3\nncols 4\n", "30.0 metres\n0\n0\n-2\n1\n2\n");
    ASSERT_EQ(filter.ReadHeader(data.c_str(), false), 0);
    EXPECT_EQ(filter.header.xdim, 30.0);

    Scene("nrows 3\nncols 4\n", "\xEF\xBB\xBF" "30\r0\r0\r-30\r615\r825\r");
    ASSERT_EQ(filter.ReadHeader(data.c_str(), false), 0);
    EXPECT_EQ(filter.header.ulymap, 825.0);
}

TEST_F(HeaderReader, BadWorldFileNamesItsLineAndStopsBeforeTheStatistics)
{
    const std::string blw = dir.File("scene.blw");
    const struct {
        std::string world;
        int line;
    } cases[] = {{"30\n0\n0\nabc\n615\n825\n", 4}, {"30\n0\n0\n", 4}, {"", 1}, {"1\n0\n0\n1\n2\n", 6}};
    for (const auto& c : cases) {
        const std::string data = Scene("nrows 3\nncols 4\n", " ", "1 5\n");
        dir.Write("scene.blw", c.world);
        EXPECT_EQ(filter.ReadHeader(data.c_str(), true), 1);
        ExpectBadRecord(CatchIoError([&] { filter.ReadHeader(data.c_str(), false); }), c.line, blw);
    }
}

TEST_F(HeaderReader, StatisticsGiveTheWidestRange)
{
    const struct {
        std::string stats;
        double min, max;
    } cases[] = {
        {"1 0 255\n2 -5 100\n3 10 300\n", -5, 300},
        {"band min max mean std\n1 3.5 97.25 50.1 10.2\n", 3.5, 97.25},
        {"   2 1 7\n-1 -100 100\n# comment\n.5 -9 9\n", 1, 7},
        {"1 9 2\n", 9, 2},
        {"heading only\n", 0, 1},
        {"1 0 10\r2 -5 3\r", -5, 10},
    };
    for (const auto& c : cases) {
        const std::string data = Scene("nrows 3\nncols 4\n", {}, c.stats);
        ASSERT_EQ(filter.ReadHeader(data.c_str(), false), 0) << c.stats;
        EXPECT_EQ(filter.valueMin, c.min) << c.stats;
        EXPECT_EQ(filter.valueMax, c.max) << c.stats;
    }
    const std::string data = Scene("nrows 3\nncols 4\n", {}, "1 0 1\n\n# x\n1 5\n");
    EXPECT_EQ(filter.ReadHeader(data.c_str(), true), 1);
    ExpectBadRecord(CatchIoError([&] { filter.ReadHeader(data.c_str(), false); }), 4, dir.File("scene.stx"));
}

TEST_F(HeaderReader, EveryReadStartsFromTheDefaults)
{
    TempDir other;
    other.Write("b.hdr", "nrows 5\nncols 6\n");
    const std::string b = other.File("b.bil");
    BndImportFilter fresh(host);
    ASSERT_EQ(fresh.ReadHeader(b.c_str(), false), 0);

    const std::string a = Scene("nrows 3\nncols 4\nnbands 3\nskipbytes 100\nlayout BIP\nbyteorder M\nnbits 16\n"
                                "bandgapbytes 4\nbandrowbytes 50\nulymap 7\nProjection UTM\n",
                                "2\n0\n0\n-2\n10\n20\n", "1 -4 9\n");
    ASSERT_EQ(filter.ReadHeader(a.c_str(), false), 0);
    ASSERT_EQ(filter.ReadHeader(b.c_str(), false), 0);
    for (const BndImportFilter* f : {&filter, &fresh}) {
        EXPECT_EQ(f->header.nbands, 1);
        EXPECT_EQ(f->header.skipbytes, 0);
        EXPECT_EQ(f->header.nbits, 8);
        EXPECT_EQ(f->header.bandgapbytes, 0);
        EXPECT_EQ(f->header.bandrowbytes, 6);
        EXPECT_EQ(f->header.totalrowbytes, 6);
        EXPECT_EQ(f->header.ulymap, 4.0);
        EXPECT_EQ(f->header.xdim, 1.0);
        EXPECT_EQ(f->header.ydim, 1.0);
        EXPECT_EQ(f->header.ulxmap, 0.0);
        EXPECT_STREQ(f->header.Projection, "");
        EXPECT_STREQ(f->header.byteorder, "I");
        EXPECT_EQ(f->layoutCode, BndLayout::BIL);
        EXPECT_FALSE(f->swapBytes);
        EXPECT_EQ(f->sampleType, 0);
        EXPECT_EQ(f->valueMin, 0.0);
        EXPECT_EQ(f->valueMax, 1.0);
    }
    ASSERT_EQ(filter.ReadHeader(a.c_str(), false), 0);
    const BndHeader first = filter.header;
    ASSERT_EQ(filter.ReadHeader(a.c_str(), true), 0);
    EXPECT_EQ(filter.header.bandrowbytes, first.bandrowbytes) << "reading twice gives the same values";
    EXPECT_EQ(filter.header.ulymap, first.ulymap);
    EXPECT_EQ(filter.valueMin, -4.0);
}

} // namespace
} // namespace fennick::test
