#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>

#include "format/HeaderReader.h"
#include "format/HeaderWriter.h"
#include "support/Posix.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

// A host running under a decimal-comma locale still writes decimal points,
// and reads them back whatever its locale.
TEST(HeaderWriter, WritesAndReadsDecimalPointsUnderACommaLocale)
{
    TempDir dir;
    if (!UseDecimalCommaLocale(dir)) {
        GTEST_SKIP() << "no decimal-comma locale can be had here";
    }
    char probe[8];
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    EXPECT_STREQ(probe, "2,5") << "the locale is in force";

    const BndHeader written{
        .nrows = 3, .ncols = 4, .nbits = 32, .ulxmap = -1.5, .ulymap = 7.75, .xdim = 2.5, .ydim = 0.125};
    WriteHeaderFile(dir.File("scene.hdr"), written, "SIGNEDINT");
    const std::string text = ReadText(dir.File("scene.hdr"));
    BndDescription read;
    const int result = ReadDescription(dir.File("scene.bil").c_str(), false, read);
    std::setlocale(LC_ALL, "C");

    EXPECT_NE(text.find("xdim 2.500000000000000\r\nydim 0.125000000000000\r\nulxmap -1.500000000000000\r\n"
                        "ulymap 7.750000000000000\r\n"),
              std::string::npos)
        << text;
    ASSERT_EQ(result, 0);
    EXPECT_EQ(read.header.xdim, 2.5);
    EXPECT_EQ(read.header.ulxmap, -1.5);
    EXPECT_EQ(read.header.ulymap, 7.75);
}

} // namespace
} // namespace fennick::test
