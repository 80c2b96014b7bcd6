#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

#include "export/BndExportFilter.h"
#include "import/BndImportFilter.h"
#include "support/Expect.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

using orvo::ExportStatus;
using tamsel::CPrimType;
using Bytes = std::vector<unsigned char>;

// A lattice that owns its values, filled from `values` in row-major node order.
template <class T>
orvo::TrUniformLattice MakeLattice(CPrimType type, int columns, int rows, int bands, const std::vector<T>& values,
                                   int planes = 1)
{
    orvo::TrUniformLattice lattice(type, columns, rows, planes, bands);
    lattice.AllocateValues();
    if (!values.empty()) {
        std::memcpy(lattice.RowData(0, 0), values.data(), values.size() * sizeof(T));
    }
    return lattice;
}

// Hands the lattice and then every row of every plane to the filter, as a host
// does: it stops delivering when a row is refused. Returns each row's status.
std::vector<ExportStatus> Feed(BndExportFilter& filter, orvo::TrUniformLattice& lattice)
{
    EXPECT_EQ(filter.ExportObject(lattice), ExportStatus::Done);
    std::vector<ExportStatus> statuses;
    orvo::TrLatticeScan scan(lattice);
    for (int plane = 0; plane < lattice.planes; ++plane) {
        for (int row = 0; row < lattice.rows; ++row) {
            std::memcpy(scan.rowBuffer, lattice.RowData(plane, row), scan.GetRowBytes());
            statuses.push_back(filter.ExportObject(scan));
            if (statuses.back() != ExportStatus::Done) {
                return statuses;
            }
        }
    }
    return statuses;
}

Bytes Export(const std::string& path, orvo::TrUniformLattice& lattice)
{
    TestHost host;
    BndExportFilter filter(host);
    EXPECT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
    Feed(filter, lattice);
    EXPECT_EQ(filter.EndExport(), ExportStatus::Done);
    return ReadAll(path);
}

Bytes Le32(std::initializer_list<std::uint32_t> values)
{
    Bytes out;
    for (const std::uint32_t v : values) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
    }
    return out;
}

TEST(Export, WritesEachLayoutsOrderByteForByte)
{
    TempDir dir;
    const std::vector<std::int16_t> oneRow = {1, 2, 3, -1}; // column 0: (1, 2), column 1: (3, -1)
    auto single = MakeLattice(CPrimType::Int16, 2, 1, 2, oneRow);
    EXPECT_EQ(Export(dir.File("a.bil"), single), Le32({1, 3, 2, 0xFFFFFFFF}));
    EXPECT_EQ(Export(dir.File("a.bip"), single), Le32({1, 2, 3, 0xFFFFFFFF}));
    EXPECT_EQ(Export(dir.File("a.bsq"), single), Le32({1, 3, 2, 0xFFFFFFFF}));

    const std::vector<std::int16_t> twoRows = {1, 2, 3, 4, 5, 6, 7, 8};
    auto lattice = MakeLattice(CPrimType::Int16, 2, 2, 2, twoRows);
    EXPECT_EQ(Export(dir.File("b.bsq"), lattice), Le32({1, 3, 5, 7, 2, 4, 6, 8}));
    EXPECT_EQ(Export(dir.File("b.bil"), lattice), Le32({1, 3, 2, 4, 5, 7, 6, 8}));
    EXPECT_EQ(Export(dir.File("b.bip"), lattice), Le32({1, 2, 3, 4, 5, 6, 7, 8}));
}

template <class T>
Bytes EncodeOne(CPrimType type, T value)
{
    TempDir dir;
    auto lattice = MakeLattice(type, 1, 1, 1, std::vector<T>{value});
    return Export(dir.File("one.bil"), lattice);
}

TEST(Export, EveryElementTypeKeepsTheLow32BitsOfItsWholeNumber)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(EncodeOne<std::int8_t>(CPrimType::Int8, -1), Le32({0xFFFFFFFF}));
    EXPECT_EQ(EncodeOne<std::uint8_t>(CPrimType::UInt8, 255), Le32({255}));
    EXPECT_EQ(EncodeOne<std::int16_t>(CPrimType::Int16, -2), Le32({0xFFFFFFFE}));
    EXPECT_EQ(EncodeOne<std::uint16_t>(CPrimType::UInt16, 65535), Le32({65535}));
    EXPECT_EQ(EncodeOne<std::int32_t>(CPrimType::Int32, INT32_MIN), Le32({0x80000000}));
    EXPECT_EQ(EncodeOne<std::uint32_t>(CPrimType::UInt32, 4000000000U), (Bytes{0x00, 0x28, 0x6B, 0xEE}));
    EXPECT_EQ(EncodeOne<std::int64_t>(CPrimType::Int64, 0x123456789LL), Le32({0x23456789}));
    EXPECT_EQ(EncodeOne<std::int64_t>(CPrimType::Int64, -1), Le32({0xFFFFFFFF}));
    EXPECT_EQ(EncodeOne<float>(CPrimType::Float32, -7.9F), Le32({0xFFFFFFF9}));
    EXPECT_EQ(EncodeOne<float>(CPrimType::Float32, static_cast<float>(inf)), Le32({0xFFFFFFFF}));
    EXPECT_EQ(EncodeOne<double>(CPrimType::Float64, 4294967296.0), Le32({0}));
    EXPECT_EQ(EncodeOne<double>(CPrimType::Float64, 3.99), Le32({3}));
    EXPECT_EQ(EncodeOne<double>(CPrimType::Float64, std::nan("")), Le32({0}));
    EXPECT_EQ(EncodeOne<double>(CPrimType::Float64, 1e30), Le32({0xFFFFFFFF}));
    EXPECT_EQ(EncodeOne<double>(CPrimType::Float64, -1e30), Le32({0}));
}

TEST(Export, HeaderAndSizeFollowTheLattice)
{
    TempDir dir;
    auto doubles = MakeLattice(CPrimType::Float64, 4, 3, 1, std::vector<double>(12, 1.5));
    doubles.xMin = 10;
    doubles.yMin = 20;
    doubles.dx = 0.5;
    doubles.dy = 2;
    EXPECT_EQ(Export(dir.File("grid.bil"), doubles).size(), 48U);
    EXPECT_EQ(ReadText(dir.File("grid.hdr")),
              "# BIL header file\r\nbyteorder I\r\nnbits 32\r\nnbands 1\r\nncols 4\r\nnrows 3\r\n"
              "xdim 0.500000000000000\r\nydim 2.000000000000000\r\nulxmap 10.000000000000000\r\n"
              "ulymap 24.000000000000000\r\nlayout BIL\r\n");

    auto bytes = MakeLattice(CPrimType::UInt8, 100, 50, 3, std::vector<std::uint8_t>(15000, 7));
    EXPECT_EQ(Export(dir.File("bytes.dat"), bytes).size(), 60000U) << "every sample takes 4 bytes";
}

TEST(Export, TheExtensionChoosesTheLayout)
{
    TempDir dir;
    const struct {
        const char* name;
        const char* layout;
    } cases[] = {{"scene.bip", "BIP"}, {"scene.BIP", "BIP"}, {"scene.Bip", "BIP"}, {"scene.bsq", "BSQ"},
                 {"scene.bil", "BIL"}, {"scene.dat", "BIL"}, {"scene.img", "BIL"}};
    for (const auto& c : cases) {
        auto lattice = MakeLattice(CPrimType::Int32, 2, 2, 3, std::vector<std::int32_t>(12, 1));
        Export(dir.File(c.name), lattice);
        const std::string header = ReadText(dir.File("scene.hdr"));
        EXPECT_EQ(header.substr(0, header.find("\r\n")), std::string("# ") + c.layout + " header file") << c.name;
        EXPECT_NE(header.find(std::string("layout ") + c.layout + "\r\n"), std::string::npos) << c.name;
    }
    TestHost host;
    BndExportFilter filter(host);
    EXPECT_EQ(filter.BeginExport(dir.File("noextension").c_str(), false), ExportStatus::Stopped);
    EXPECT_FALSE(std::filesystem::exists(dir.File("noextension")));
    EXPECT_EQ(host.progressStarts, 0);
}

TEST(Export, WithoutALatticeTheDataFileIsDeletedAndEndingTwiceIsAnError)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    EXPECT_EQ(CatchIoError([&] { filter.EndExport(); }).GetCode(), 15);
    const std::string path = dir.File("empty.bil");
    ASSERT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
    EXPECT_TRUE(std::filesystem::exists(path)) << "the data file is created at once";
    EXPECT_EQ(host.messages, std::vector<std::string>{"Exporting to Banded format file empty.bil"});
    orvo::TrCRS crs("EPSG:4326");
    EXPECT_EQ(filter.ExportObject(crs), ExportStatus::NotHandled);
    auto lattice = MakeLattice(CPrimType::Int32, 2, 2, 1, std::vector<std::int32_t>(4, 1));
    orvo::TrLatticeScan scan(lattice);
    EXPECT_EQ(filter.ExportObject(scan), ExportStatus::NotHandled) << "a row before any lattice";
    EXPECT_EQ(filter.EndExport(), ExportStatus::NothingExported);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(dir.File("empty.hdr")));
    EXPECT_FALSE(host.ProgressOpen());
    const orvo::IoError error = CatchIoError([&] { filter.EndExport(); });
    EXPECT_EQ(error.GetCode(), 15);
    EXPECT_EQ(error.GetSourceFile(), "BndExportFilter");
}

TEST(Export, AStopKeepsTheRowsReceivedAndBsqFillsTheRestWithZeros)
{
    for (const char* name : {"stop.bil", "stop.bsq"}) {
        TempDir dir;
        TestHost host;
        host.cancelAtProportionCall = 3;
        BndExportFilter filter(host);
        std::vector<std::int32_t> values(20);
        for (int i = 0; i < 20; ++i) {
            values[static_cast<std::size_t>(i)] = i + 1;
        }
        auto lattice = MakeLattice(CPrimType::Int32, 2, 10, 1, values);
        ASSERT_EQ(filter.BeginExport(dir.File(name).c_str(), false), ExportStatus::Done);
        const auto statuses = Feed(filter, lattice);
        EXPECT_EQ(statuses[3], ExportStatus::Stopped) << "the fourth row is refused";
        EXPECT_EQ(filter.EndExport(), ExportStatus::Done);
        const Bytes data = ReadAll(dir.File(name));
        const std::string header = ReadText(dir.File("stop.hdr"));
        EXPECT_NE(header.find("nrows 10\r\n"), std::string::npos);
        const Bytes received = Le32({1, 2, 3, 4, 5, 6});
        if (std::string(name) == "stop.bil") {
            EXPECT_EQ(data, received) << "three rows";
        } else {
            Bytes expected = received;
            expected.resize(10U * 8U, 0);
            EXPECT_EQ(data, expected) << "rows that never came are zeros";
        }
    }
}

TEST(Export, OnlyTheFirstPlaneReachesTheFileAndProgressCountsEveryRow)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    std::vector<std::int16_t> values(2 * 5 * 2);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::int16_t>(i);
    }
    auto lattice = MakeLattice(CPrimType::Int16, 2, 5, 1, values, 2);
    ASSERT_EQ(filter.BeginExport(dir.File("planes.bip").c_str(), false), ExportStatus::Done);
    Feed(filter, lattice);
    ASSERT_EQ(filter.EndExport(), ExportStatus::Done);
    EXPECT_EQ(ReadAll(dir.File("planes.bip")), Le32({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    ASSERT_EQ(host.proportions.size(), 10U);
    EXPECT_EQ(host.proportions.front(), 0.0);
    EXPECT_EQ(host.proportions.back(), 0.9);
}

TEST(Export, ZeroRowsGiveAnEmptyFileAndAHeader)
{
    TempDir dir;
    auto lattice = MakeLattice(CPrimType::Int32, 3, 0, 1, std::vector<std::int32_t>{});
    EXPECT_TRUE(Export(dir.File("none.bsq"), lattice).empty());
    EXPECT_NE(ReadText(dir.File("none.hdr")).find("nrows 0\r\n"), std::string::npos);
}

TEST(Export, AnAbandonedExportLeavesNoFileBehind)
{
    TempDir dir;
    TestHost host;
    const std::string first = dir.File("first.bil");
    const std::string second = dir.File("second.bil");
    {
        BndExportFilter filter(host);
        ASSERT_EQ(filter.BeginExport(first.c_str(), false), ExportStatus::Done);
        auto lattice = MakeLattice(CPrimType::Int32, 2, 3, 1, std::vector<std::int32_t>(6, 5));
        Feed(filter, lattice);
        ASSERT_EQ(filter.BeginExport(second.c_str(), false), ExportStatus::Done);
        EXPECT_FALSE(std::filesystem::exists(first)) << "a second BeginExport gives up the first file";
        EXPECT_EQ(host.progressStarts, 2);
        EXPECT_EQ(host.progressStops, 1);
        EXPECT_EQ(filter.ExportObject(*std::make_unique<orvo::TrLatticeScan>(lattice)), ExportStatus::NotHandled)
            << "the new export has no lattice yet";
    }
    EXPECT_FALSE(std::filesystem::exists(second)) << "destruction mid-export abandons the file";
    EXPECT_FALSE(std::filesystem::exists(dir.File("second.hdr")));
    EXPECT_FALSE(host.ProgressOpen());
}

TEST(Export, ALatticeTooLargeToDescribeIsNotHandled)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    ASSERT_EQ(filter.BeginExport(dir.File("huge.bsq").c_str(), false), ExportStatus::Done);
    const struct {
        CPrimType type;
        int columns, rows, planes, components;
    } cases[] = {{CPrimType::Float64, 100000, 10, 1, 100000},
                 {CPrimType::UInt8, 1000000, 10, 1, 1000},
                 {CPrimType::Int32, 10, 100000, 100000, 1},
                 {CPrimType::Int32, -1, 10, 1, 1},
                 {CPrimType::Int32, 10, -1, 1, 1},
                 {CPrimType(99), 10, 10, 1, 1},
                 {CPrimType::Float64, 1000000, 2000000000, 1, 100}};
    for (const auto& c : cases) {
        orvo::TrUniformLattice lattice(c.type, c.columns, c.rows, c.planes, c.components);
        EXPECT_EQ(filter.ExportObject(lattice), ExportStatus::NotHandled) << c.columns << "x" << c.rows;
        EXPECT_EQ(lattice.storageOrder, 0) << "a refused lattice is left as it was";
    }
    EXPECT_EQ(filter.latticeCount, 0);
    EXPECT_EQ(filter.EndExport(), ExportStatus::NothingExported);
}

// Export every layout with 1 and 3 bands and import the pair back: every value
// and the geometry come back.
TEST(Export, RoundTripsThroughTheImport)
{
    for (const char* extension : {".bil", ".bip", ".bsq"}) {
        for (const int bands : {1, 3}) {
            SCOPED_TRACE(std::string(extension) + " bands " + std::to_string(bands));
            TempDir dir;
            const int columns = 7;
            const int rows = 13;
            std::vector<std::int32_t> values(static_cast<std::size_t>(columns * rows * bands));
            for (std::size_t i = 0; i < values.size(); ++i) {
                values[i] = static_cast<std::int32_t>(i * 2654435761U);
            }
            auto lattice = MakeLattice(CPrimType::Int32, columns, rows, bands, values);
            lattice.xMin = 615;
            lattice.yMin = -40;
            lattice.dx = 30;
            lattice.dy = 2.5;
            const std::string path = dir.File(std::string("trip") + extension);
            Export(path, lattice);

            TestHost host;
            BndImportFilter importer(host);
            EXPECT_EQ(importer.ProbeFile(path.c_str()), 1);
            ASSERT_EQ(importer.ImportFromFile(path.c_str(), false), orvo::ImportStatus::Done);
            ASSERT_TRUE(host.lattice);
            EXPECT_EQ(host.lattice->type, CPrimType::Int32);
            EXPECT_EQ(host.lattice->columns, columns);
            EXPECT_EQ(host.lattice->rows, rows);
            EXPECT_EQ(host.lattice->components, bands);
            EXPECT_DOUBLE_EQ(host.lattice->xMin, 615);
            EXPECT_DOUBLE_EQ(host.lattice->yMin, -40);
            EXPECT_DOUBLE_EQ(host.lattice->dx, 30);
            EXPECT_DOUBLE_EQ(host.lattice->dy, 2.5);
            ASSERT_EQ(host.rows.size(), static_cast<std::size_t>(rows));
            for (int row = 0; row < rows; ++row) {
                const unsigned char* expected = lattice.RowData(0, row);
                EXPECT_EQ(host.rows[row], Bytes(expected, expected + lattice.RowBytes())) << "row " << row;
            }
        }
    }
}

} // namespace
} // namespace fennick::test
