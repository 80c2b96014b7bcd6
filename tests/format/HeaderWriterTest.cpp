#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "export/BndExportFilter.h"
#include "import/BndImportFilter.h"
#include "support/Expect.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

TEST(HeaderWriter, WritesTheTemplateAndTheLayoutLineByteForByte)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    filter.outputPath = dir.File("scene.BIP");
    filter.header.nbits = 32;
    filter.header.nbands = 3;
    filter.header.ncols = 100;
    filter.header.nrows = 50;
    filter.header.xdim = 1.0;
    filter.header.ydim = 0.25;
    filter.header.ulxmap = -12.5;
    filter.header.ulymap = 1e6 / 3;
    std::strcpy(filter.header.layout, "BIP");
    filter.WriteHeader();
    EXPECT_EQ(ReadText(dir.File("scene.hdr")), "# BIP header file\r\n"
                                               "byteorder I\r\n"
                                               "nbits 32\r\n"
                                               "nbands 3\r\n"
                                               "ncols 100\r\n"
                                               "nrows 50\r\n"
                                               "xdim 1.000000000000000\r\n"
                                               "ydim 0.250000000000000\r\n"
                                               "ulxmap -12.500000000000000\r\n"
                                               "ulymap 333333.333333333313931\r\n"
                                               "layout BIP\r\n");
}

// A host running under a decimal-comma locale still writes decimal points,
// and reads them back whatever its locale.
TEST(HeaderWriter, WritesAndReadsDecimalPointsUnderACommaLocale)
{
    TempDir dir;
    const std::string compile = "localedef -i de_DE -f UTF-8 " + dir.File("de_DE.UTF-8") + " >/dev/null 2>&1";
    ::setenv("LOCPATH", dir.Path().c_str(), 1);
    if (std::system(compile.c_str()) != 0 || std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        ::unsetenv("LOCPATH");
        GTEST_SKIP() << "no decimal-comma locale can be built here";
    }
    char probe[8];
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    EXPECT_STREQ(probe, "2,5") << "the locale is in force";

    TestHost host;
    BndExportFilter writer(host);
    writer.outputPath = dir.File("scene.bil");
    writer.header.nbits = 32;
    writer.header.nbands = 1;
    writer.header.ncols = 4;
    writer.header.nrows = 3;
    writer.header.xdim = 2.5;
    writer.header.ydim = 0.125;
    writer.header.ulxmap = -1.5;
    writer.header.ulymap = 7.75;
    std::strcpy(writer.header.layout, "BIL");
    writer.WriteHeader();
    const std::string text = ReadText(dir.File("scene.hdr"));
    BndImportFilter reader(host);
    const int read = reader.ReadHeader(writer.outputPath.c_str(), false);
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");

    EXPECT_NE(text.find("xdim 2.500000000000000\r\nydim 0.125000000000000\r\nulxmap -1.500000000000000\r\n"
                        "ulymap 7.750000000000000\r\n"),
              std::string::npos)
        << text;
    ASSERT_EQ(read, 0);
    EXPECT_EQ(reader.header.xdim, 2.5);
    EXPECT_EQ(reader.header.ulxmap, -1.5);
}

TEST(HeaderWriter, AnUncreatableHeaderIsReported)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    filter.outputPath = dir.File("missing/scene.bil");
    const orvo::IoError error = CatchIoError([&] { filter.WriteHeader(); });
    EXPECT_EQ(std::string(error.what()), "Unable to create the header file " + dir.File("missing/scene.hdr") + ".");
    EXPECT_EQ(error.GetSourceFile(), "BndExportFilter");
}

} // namespace
} // namespace fennick::test
