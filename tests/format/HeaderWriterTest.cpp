#include <gtest/gtest.h>

#include "export/BndExportFilter.h"
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
