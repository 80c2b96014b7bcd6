// The malformed and malicious file sets of tests/data/hostile.cases.
#include <gtest/gtest.h>

#include "RasterWriter.h"
#include "export/BndExportFilter.h"
#include "hostside/IoError.h"
#include "import/BndImportFilter.h"
#include "support/AllocationWatch.h"
#include "support/CaseFile.h"
#include "support/Posix.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

class HostileCases : public CaseRows {};

TEST_P(HostileCases, EndCleanlyWithoutOversizedAllocations)
{
    constexpr std::size_t kJustified = 4 << 20; // the largest file here is 1 MiB
    const bool watching = AllocationWatchSeesArrays();
    const Case& c = GetParam();
    TempDir dir;
    bool laid = dir.Lay("scene.hdr", c.Get("hdr", "<missing>"));
    laid = dir.Lay("scene.bil", c.Get("data", std::string(12, 'x'))) && laid;
    for (const char* side : {"blw", "stx"}) {
        if (c.Has(side)) {
            laid = dir.Lay(std::string("scene.") + side, c.Get(side)) && laid;
        }
    }
    if (!laid) {
        GTEST_SKIP() << "POSIX only: a FIFO, link or device";
    }
    const std::string path = dir.File("scene.bil");
    TestHost host;
    host.warningAnswer = 1;
    BndImportFilter filter(host);

    ResetLargestAllocation();
    EXPECT_EQ(filter.ProbeFile(path.c_str()), std::stoi(c.Get("probe")));
    // The file buffer is the host library's; a DLL's allocations (Windows)
    // do not reach the program's operator new, the module's do.
    EXPECT_TRUE(!watching || !kPosix || LargestAllocation() >= std::size_t{64} * 1024)
        << "the watch sees the file buffer";
    std::string said;
    std::string ended = "silently";
    orvo::ImportStatus status = orvo::ImportStatus::Done;
    try {
        status = filter.ImportFromFile(path.c_str(), false);
    } catch (const orvo::IoError& error) {
        ended = "host-error";
        said = error.what();
    } catch (const std::exception& error) {
        ended = "other-error";
        said = error.what();
    }
    // Seen at all (the paths' texts at least), and never more than the files justify.
    EXPECT_TRUE(!watching || (LargestAllocation() > 0 && LargestAllocation() < kJustified)) << LargestAllocation();
    EXPECT_EQ(ended, c.Get("ends", c.Has("said") ? "host-error" : "silently")) << said;
    if (ended == "silently") {
        EXPECT_EQ(status, orvo::ImportStatus::Stopped);
    } else {
        const std::string expected = !kPosix && c.Has("said-windows") ? c.Get("said-windows") : c.Get("said");
        EXPECT_NE(said.find(expected), std::string::npos) << said;
    }
    EXPECT_FALSE(host.lattice) << "the host receives nothing from a refused file";
    EXPECT_FALSE(host.ProgressOpen());
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileCases, testing::ValuesIn(ReadCases("hostile.cases")), CaseName);

// Memory is one row, or a BSQ band window, whatever the raster's size: no
// single allocation of an import or an export comes near the raster's size,
// in any layout, with few bands (a window of 1 MiB) or many (16384 samples of
// each band, a fifth of this raster); and the export, written in many
// windows, puts every row in its place.
TEST(HostileCorpus, MemoryIsARowOrABandWindowWhateverTheRastersSize)
{
    if (!AllocationWatchSeesArrays()) {
        GTEST_SKIP() << "the allocation watch cannot see array allocations here";
    }
    struct Scene {
        const char* layout;
        int nrows, ncols, nbands;
        std::size_t bound; // the window and a row or two
    };
    for (const Scene& scene :
         {Scene{"BIL", 1500, 2000, 2, std::size_t{3} << 19}, Scene{"BIP", 1500, 2000, 2, std::size_t{3} << 19},
          Scene{"BSQ", 1500, 2000, 2, std::size_t{3} << 19}, Scene{"BSQ", 1650, 50, 48, std::size_t{7} << 19}}) {
        SCOPED_TRACE(std::string(scene.layout) + " " + std::to_string(scene.nbands));
        TempDir dir;
        const rasters::RasterShape shape{
            .layout = scene.layout, .nbits = 16, .nrows = scene.nrows, .ncols = scene.ncols, .nbands = scene.nbands};
        const std::string in = dir.File("in.dat");
        const rasters::SampleFunction value = [](int row, int band, int column) {
            return static_cast<std::uint32_t>(row * 7 + band * 3 + column);
        };
        rasters::WriteRaster(in, shape, value);
        TestHost host;
        ResetLargestAllocation();
        ASSERT_EQ(BndImportFilter(host).ImportFromFile(in.c_str(), false), orvo::ImportStatus::Done);
        EXPECT_GT(LargestAllocation(), 0U) << "the watch sees the import";
        EXPECT_LT(LargestAllocation(), scene.bound);

        orvo::TrUniformLattice lattice(tamsel::CPrimType::Int16, shape.ncols, shape.nrows, 1, shape.nbands);
        orvo::TrLatticeScan scan(lattice);
        const std::string out = dir.File(std::string("out.") + scene.layout);
        BndExportFilter exporter(host);
        ResetLargestAllocation();
        ASSERT_EQ(exporter.BeginExport(out.c_str(), false), orvo::ExportStatus::Done);
        ASSERT_EQ(exporter.ExportObject(lattice), orvo::ExportStatus::Done);
        auto* const nodes = reinterpret_cast<std::int16_t*>(scan.rowBuffer);
        for (int row = 0; row < shape.nrows; ++row) {
            for (int node = 0; node < shape.ncols * shape.nbands; ++node) {
                nodes[node] = static_cast<std::int16_t>(value(row, node % shape.nbands, node / shape.nbands));
            }
            ASSERT_EQ(exporter.ExportObject(scan), orvo::ExportStatus::Done);
        }
        ASSERT_EQ(exporter.EndExport(), orvo::ExportStatus::Done);
        EXPECT_GE(LargestAllocation(), std::size_t{16000}) << "the watch sees the export's row of 32-bit samples";
        EXPECT_LT(LargestAllocation(), scene.bound);
        rasters::RasterShape written = shape;
        written.nbits = 32;
        EXPECT_TRUE(ReadAll(out) == rasters::DataBytes(written, value)) << "every row in its place";
    }
    // So many bands that a part of each would outgrow 16 MiB: the window
    // stops there, short of this (sparse) 19.2 MB raster.
    TempDir dir;
    dir.Write("many.hdr", "nrows 2000\nncols 8\nnbands 600\nnbits 16\nlayout BSQ\n");
    const std::string many = dir.File("many.bsq");
    ASSERT_TRUE(WriteSparse(many, std::int64_t{2000} * 8 * 600 * 2, {}));
    TestHost host;
    ResetLargestAllocation();
    ASSERT_EQ(BndImportFilter(host).ImportFromFile(many.c_str(), false), orvo::ImportStatus::Done);
    EXPECT_GT(LargestAllocation(), std::size_t{8} << 20) << "a part of 16384 samples of most bands";
    EXPECT_LT(LargestAllocation(), std::size_t{17} << 20);
}

} // namespace
} // namespace fennick::test
