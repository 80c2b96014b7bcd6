#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

#include "export/BndExportFilter.h"
#include "export/SampleEncoder.h"
#include "hostside/FileError.h"
#include "hostside/Lattices.h"
#include "support/Expect.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

using orvo::ExportStatus;
using tamsel::CPrimType;
using Bytes = std::vector<unsigned char>;

// A lattice and its values, filled from `values` in row-major node order.
struct Owned {
    orvo::TrUniformLattice lattice;
    orvo::LatticeValues values;

    template <class T>
    Owned(CPrimType type, int columns, int rows, int bands, const std::vector<T>& from, int planes = 1)
        : lattice(type, columns, rows, planes, bands), values(lattice)
    {
        if (!from.empty()) {
            std::memcpy(values.Row(0, 0), from.data(), from.size() * sizeof(T));
        }
    }
};

template <class T>
std::vector<T> Count(std::size_t n, T first = 1)
{
    std::vector<T> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<T>(first + static_cast<T>(i));
    }
    return out;
}

// Hands the lattice and then every row of every plane to the filter, as a host
// does: it stops delivering when a row is refused. Returns each row's status.
std::vector<ExportStatus> Feed(BndExportFilter& filter, Owned& owned)
{
    EXPECT_EQ(filter.ExportObject(owned.lattice), ExportStatus::Done);
    std::vector<ExportStatus> statuses;
    orvo::TrLatticeScan scan(owned.lattice);
    for (int plane = 0; plane < owned.lattice.planes; ++plane) {
        for (int row = 0; row < owned.lattice.rows; ++row) {
            if (owned.values.RowBytes() > 0) { // an empty row's buffers may be null
                std::memcpy(scan.rowBuffer, owned.values.Row(plane, row), owned.values.RowBytes());
            }
            statuses.push_back(filter.ExportObject(scan));
            if (statuses.back() != ExportStatus::Done) {
                return statuses;
            }
        }
    }
    return statuses;
}

Bytes Export(const std::string& path, Owned& owned)
{
    TestHost host;
    BndExportFilter filter(host);
    EXPECT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
    Feed(filter, owned);
    EXPECT_EQ(filter.EndExport(), ExportStatus::Done);
    return ReadAll(path);
}

// Written samples: 32 bits, least significant byte first (as this machine holds them).
Bytes Le32(std::initializer_list<std::uint32_t> values)
{
    Bytes out(values.size() * 4);
    std::memcpy(out.data(), std::data(values), out.size());
    return out;
}

// For each layout: the byte order of one and two rows; rows from the scan of a
// wider lattice, of which exactly the lattice's row is taken from its start; a
// second lattice, which takes the place of the first (BIL and BIP rows already
// written stay ahead of its rows; a BSQ file and the header are its alone);
// and lattices without rows, columns or bands, which give an empty file.
TEST(Export, WritesEachLayoutsOrderByteForByte)
{
    const struct {
        const char* name;
        Bytes single;  // 2 columns x 1 row x 2 bands: (1, 2), (3, -1)
        Bytes twoRows; // 2 x 2 x 2: 1 to 8
        Bytes wider;   // 2 x 2 x 2 from rows of 3 columns: 1 to 6, 11 to 16
        Bytes second;  // 2 x 2 x 1 (1 to 4), then 3 x 1 x 1 (7 to 9)
    } cases[] = {
        {"a.bil", Le32({1, 3, 2, 0xFFFFFFFF}), Le32({1, 3, 2, 4, 5, 7, 6, 8}), Le32({1, 3, 2, 4, 11, 13, 12, 14}),
         Le32({1, 2, 3, 4, 7, 8, 9})},
        {"a.bip", Le32({1, 2, 3, 0xFFFFFFFF}), Le32({1, 2, 3, 4, 5, 6, 7, 8}), Le32({1, 2, 3, 4, 11, 12, 13, 14}),
         Le32({1, 2, 3, 4, 7, 8, 9})},
        {"a.bsq", Le32({1, 3, 2, 0xFFFFFFFF}), Le32({1, 3, 5, 7, 2, 4, 6, 8}), Le32({1, 3, 11, 13, 2, 4, 12, 14}),
         Le32({7, 8, 9})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Owned single(CPrimType::Int16, 2, 1, 2, std::vector<std::int16_t>{1, 2, 3, -1});
        EXPECT_EQ(Export(dir.File(c.name), single), c.single);
        Owned twoRows(CPrimType::Int16, 2, 2, 2, Count<std::int16_t>(8));
        EXPECT_EQ(Export(dir.File(c.name), twoRows), c.twoRows);

        TestHost host;
        BndExportFilter filter(host);
        orvo::TrUniformLattice lattice(CPrimType::Int32, 2, 2, 1, 2);
        orvo::TrUniformLattice wider(CPrimType::Int32, 3, 2, 1, 2);
        ASSERT_EQ(filter.BeginExport(dir.File(c.name).c_str(), false), ExportStatus::Done);
        ASSERT_EQ(filter.ExportObject(lattice), ExportStatus::Done);
        orvo::TrLatticeScan scan(wider);
        for (const std::int32_t first : {1, 11}) {
            const auto row = Count<std::int32_t>(6, first);
            std::memcpy(scan.rowBuffer, row.data(), row.size() * sizeof(std::int32_t));
            ASSERT_EQ(filter.ExportObject(scan), ExportStatus::Done);
        }
        ASSERT_EQ(filter.EndExport(), ExportStatus::Done);
        EXPECT_EQ(ReadAll(dir.File(c.name)), c.wider);

        Owned first(CPrimType::Int32, 2, 2, 1, Count<std::int32_t>(4));
        Owned second(CPrimType::Int16, 3, 1, 1, Count<std::int16_t>(3, 7));
        ASSERT_EQ(filter.BeginExport(dir.File(c.name).c_str(), false), ExportStatus::Done);
        Feed(filter, first);
        Feed(filter, second);
        ASSERT_EQ(filter.EndExport(), ExportStatus::Done);
        EXPECT_EQ(ReadAll(dir.File(c.name)), c.second);
        EXPECT_NE(ReadText(dir.File("a.hdr")).find("ncols 3\r\nnrows 1\r\n"), std::string::npos);

        Owned noRows(CPrimType::Int32, 3, 0, 1, std::vector<std::int32_t>{});
        EXPECT_TRUE(Export(dir.File(c.name), noRows).empty());
        Owned noColumns(CPrimType::Int32, 0, 4, 2, std::vector<std::int32_t>{});
        EXPECT_TRUE(Export(dir.File(c.name), noColumns).empty());
        EXPECT_NE(ReadText(dir.File("a.hdr")).find("ncols 0\r\nnrows 4\r\n"), std::string::npos);
        Owned noBands(CPrimType::Int32, 3, 2, 0, std::vector<std::int32_t>{});
        EXPECT_TRUE(Export(dir.File(c.name), noBands).empty());
    }
}

// The samples of a one-value lattice, and its header's pixeltype line.
template <class T>
std::pair<Bytes, std::string> EncodeOne(CPrimType type, T value)
{
    TempDir dir;
    Owned owned(type, 1, 1, 1, std::vector<T>{value});
    Bytes samples = Export(dir.File("one.bil"), owned);
    const std::string header = ReadText(dir.File("one.hdr"));
    const std::size_t at = header.find("pixeltype ");
    return {samples, header.substr(at, header.find("\r\n", at) - at)};
}

// Whole numbers keep their value (an unsigned 32-bit one its exact bits, read
// back as unsigned); beyond the signed 32-bit range they saturate, and so do
// floating-point values, which otherwise truncate; NaN is written as 0.
TEST(Export, EveryElementTypeWritesItsValueOrSaturates)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::string isSigned = "pixeltype SIGNEDINT";
    const auto max = static_cast<std::uint32_t>(INT32_MAX);
    const auto min = static_cast<std::uint32_t>(INT32_MIN);
    const std::pair<Bytes, std::string> cases[][2] = {
        {EncodeOne<std::int8_t>(CPrimType::Int8, -1), {Le32({0xFFFFFFFF}), isSigned}},
        {EncodeOne<std::uint8_t>(CPrimType::UInt8, 255), {Le32({255}), isSigned}},
        {EncodeOne<std::int16_t>(CPrimType::Int16, -2), {Le32({0xFFFFFFFE}), isSigned}},
        {EncodeOne<std::uint16_t>(CPrimType::UInt16, 65535), {Le32({65535}), isSigned}},
        {EncodeOne<std::int32_t>(CPrimType::Int32, INT32_MIN), {Le32({min}), isSigned}},
        {EncodeOne<std::uint32_t>(CPrimType::UInt32, 4000000000U),
         {Bytes{0x00, 0x28, 0x6B, 0xEE}, "pixeltype UNSIGNEDINT"}},
        {EncodeOne<std::int64_t>(CPrimType::Int64, 0x123456789LL), {Le32({max}), isSigned}},
        {EncodeOne<std::int64_t>(CPrimType::Int64, -0x123456789LL), {Le32({min}), isSigned}},
        {EncodeOne<std::int64_t>(CPrimType::Int64, -1), {Le32({0xFFFFFFFF}), isSigned}},
        {EncodeOne<std::int64_t>(CPrimType::Int64, INT32_MAX), {Le32({max}), isSigned}},
        {EncodeOne<float>(CPrimType::Float32, -7.9F), {Le32({0xFFFFFFF9}), isSigned}},
        {EncodeOne<float>(CPrimType::Float32, static_cast<float>(inf)), {Le32({max}), isSigned}},
        {EncodeOne<float>(CPrimType::Float32, static_cast<float>(-inf)), {Le32({min}), isSigned}},
        {EncodeOne<double>(CPrimType::Float64, 4294967296.0), {Le32({max}), isSigned}},
        {EncodeOne<double>(CPrimType::Float64, 2147483647.9), {Le32({max}), isSigned}},
        {EncodeOne<double>(CPrimType::Float64, -2147483648.9), {Le32({min}), isSigned}},
        {EncodeOne<double>(CPrimType::Float64, 3.99), {Le32({3}), isSigned}},
        {EncodeOne<double>(CPrimType::Float64, std::nan("")), {Le32({0}), isSigned}},
        {EncodeOne<double>(CPrimType::Float64, 1e10), {Le32({max}), isSigned}},
        {EncodeOne<double>(CPrimType::Float64, -1e10), {Le32({min}), isSigned}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i][0], cases[i][1]) << "case " << i;
    }
}

// Adjacent floating-point values go 4 at a time where all 4 fit 32 bits:
// vectors with values beyond that, NaN or infinities, at every position,
// give what spaced values (encoded one by one) give.
template <class T>
void ExpectAdjacentFloatsEncodeAsSpacedOnes()
{
    const std::vector<double> odd = {2147483648.0, -2147483649.0, 4294967296.0,  std::nan(""), 1e30,
                                     -1e30,        2147483647.9,  -2147483648.0, -3e9,         -0.5};
    for (std::size_t at = 0; at < 8; ++at) {
        for (const double special : odd) {
            std::vector<T> values = {1.5, -7.9, 3.99, 0, 123456.7, -1, 0.25, 65536.5, -3, 9};
            values[at] = static_cast<T>(special);
            const std::size_t count = values.size();
            std::vector<T> spaced(count * 2);
            for (std::size_t i = 0; i < count; ++i) {
                spaced[i * 2] = values[i];
            }
            Bytes adjacent(count * kWrittenSampleSize);
            Bytes oneByOne(count * kWrittenSampleSize);
            const CPrimType type = sizeof(T) == 4 ? CPrimType::Float32 : CPrimType::Float64;
            EncodeSamples(type, reinterpret_cast<const unsigned char*>(values.data()), sizeof(T), count,
                          adjacent.data());
            EncodeSamples(type, reinterpret_cast<const unsigned char*>(spaced.data()), 2 * sizeof(T), count,
                          oneByOne.data());
            EXPECT_EQ(adjacent, oneByOne) << "value " << special << " at " << at;
        }
    }
}

TEST(Export, AdjacentFloatsEncodeAsSpacedOnes)
{
    ExpectAdjacentFloatsEncodeAsSpacedOnes<float>();
    ExpectAdjacentFloatsEncodeAsSpacedOnes<double>();
}

// Splitting a row into band rows (in whole blocks where the processor can)
// gives the bytes that encoding band by band gives, for every type, 2 to 5
// bands (5 take the strided loop), and rows that end inside a block.
TEST(Export, SplittingBandsMatchesEncodingThemOneByOne)
{
    for (const CPrimType type :
         {CPrimType::Int8, CPrimType::UInt8, CPrimType::Int16, CPrimType::UInt16, CPrimType::Int32, CPrimType::UInt32,
          CPrimType::Int64, CPrimType::Float32, CPrimType::Float64}) {
        const auto size = static_cast<std::size_t>(CPrimType::TypeSize[type]);
        for (std::size_t bands = 2; bands <= 5; ++bands) {
            for (const std::size_t count : {0, 1, 15, 16, 17, 64, 77}) {
                SCOPED_TRACE("type " + std::to_string(static_cast<int>(type)) + " bands " + std::to_string(bands) +
                             " cells " + std::to_string(count));
                Bytes cells(count * bands * size + 1); // never empty, so never null
                for (std::size_t i = 0; i < cells.size(); ++i) {
                    cells[i] = static_cast<unsigned char>(i * 151 + 7);
                }
                const std::size_t distance = count * kWrittenSampleSize + 8;
                Bytes want(bands * distance, 0xAB);
                Bytes got = want;
                for (std::size_t b = 0; b < bands; ++b) {
                    EncodeSamples(type, cells.data() + b * size, bands * size, count, want.data() + b * distance);
                }
                EncodeBands(type, cells.data(), bands, count, got.data(), distance);
                EXPECT_EQ(got, want);
            }
        }
    }
}

TEST(Export, TheHeaderDescribesTheLatticeAndTheExtensionChoosesTheLayout)
{
    TempDir dir;
    Owned doubles(CPrimType::Float64, 4, 3, 1, std::vector<double>(12, 1.5));
    doubles.lattice.xMin = 10;
    doubles.lattice.yMin = 20;
    doubles.lattice.dx = 0.5;
    doubles.lattice.dy = 2;
    EXPECT_EQ(Export(dir.File("grid.bil"), doubles).size(), 48U);
    EXPECT_EQ(ReadText(dir.File("grid.hdr")),
              "# BIL header file\r\nbyteorder I\r\nnbits 32\r\nnbands 1\r\nncols 4\r\nnrows 3\r\n"
              "xdim 0.500000000000000\r\nydim 2.000000000000000\r\nulxmap 10.000000000000000\r\n"
              "ulymap 24.000000000000000\r\nlayout BIL\r\npixeltype SIGNEDINT\r\n");

    const struct {
        const char* name;
        const char* layout;
    } cases[] = {{"scene.bip", "BIP"}, {"scene.BIP", "BIP"}, {"scene.Bip", "BIP"}, {"scene.bsq", "BSQ"},
                 {"scene.bil", "BIL"}, {"scene.dat", "BIL"}, {"scene.img", "BIL"}};
    for (const auto& c : cases) {
        Owned owned(CPrimType::Int32, 2, 2, 3, std::vector<std::int32_t>(12, 1));
        EXPECT_EQ(Export(dir.File(c.name), owned).size(), 48U) << c.name;
        const std::string header = ReadText(dir.File("scene.hdr"));
        EXPECT_EQ(header.substr(0, header.find("\r\n")), std::string("# ") + c.layout + " header file") << c.name;
        EXPECT_NE(header.find(std::string("layout ") + c.layout + "\r\n"), std::string::npos) << c.name;
    }
    TestHost host;
    BndExportFilter filter(host);
    for (const char* refused : {"noextension", "scene.hdr", "scene.HDR"}) {
        EXPECT_EQ(filter.BeginExport(dir.File(refused).c_str(), false), ExportStatus::Stopped) << refused;
    }
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
    Owned owned(CPrimType::Int32, 2, 2, 1, std::vector<std::int32_t>(4, 1));
    orvo::TrLatticeScan scan(owned.lattice);
    EXPECT_EQ(filter.ExportObject(scan), ExportStatus::NotHandled) << "a row before any lattice";
    EXPECT_EQ(filter.EndExport(), ExportStatus::NothingExported);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(dir.File("empty.hdr")));
    EXPECT_FALSE(host.ProgressOpen());
    const orvo::IoError error = CatchIoError([&] { filter.EndExport(); });
    EXPECT_EQ(error.GetCode(), 15);
    EXPECT_EQ(error.GetSourceFile(), "BndExportFilter");

    // A row beyond a lattice without rows is counted as none done.
    ASSERT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
    Owned noRows(CPrimType::Int32, 2, 0, 1, std::vector<std::int32_t>{});
    ASSERT_EQ(filter.ExportObject(noRows.lattice), ExportStatus::Done);
    EXPECT_EQ(filter.ExportObject(scan), ExportStatus::Done);
    EXPECT_EQ(host.proportions, std::vector<double>{0.0});
    EXPECT_EQ(filter.EndExport(), ExportStatus::Done);
}

TEST(Export, AStopKeepsTheRowsReceivedAndBsqFillsTheRestWithZeros)
{
    for (const char* name : {"stop.bil", "stop.bsq"}) {
        TempDir dir;
        TestHost host;
        host.cancelAtProportionCall = 3;
        BndExportFilter filter(host);
        Owned owned(CPrimType::Int32, 2, 10, 1, Count<std::int32_t>(20));
        ASSERT_EQ(filter.BeginExport(dir.File(name).c_str(), false), ExportStatus::Done);
        const auto statuses = Feed(filter, owned);
        EXPECT_EQ(statuses[3], ExportStatus::Stopped) << "the fourth row is refused";
        EXPECT_EQ(filter.EndExport(), ExportStatus::Done);
        EXPECT_NE(ReadText(dir.File("stop.hdr")).find("nrows 10\r\n"), std::string::npos);
        Bytes expected = Le32({1, 2, 3, 4, 5, 6}); // three rows
        if (std::string(name) == "stop.bsq") {
            expected.resize(10U * 8U, 0); // rows that never came are zeros
        }
        EXPECT_EQ(ReadAll(dir.File(name)), expected) << name;
    }
}

TEST(Export, OnlyTheFirstPlaneReachesTheFileAndProgressCountsEveryRow)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    Owned owned(CPrimType::Int16, 2, 5, 1, Count<std::int16_t>(20, 0), 2);
    ASSERT_EQ(filter.BeginExport(dir.File("planes.bip").c_str(), false), ExportStatus::Done);
    Feed(filter, owned);
    ASSERT_EQ(filter.EndExport(), ExportStatus::Done);
    EXPECT_EQ(ReadAll(dir.File("planes.bip")), Le32({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    ASSERT_EQ(host.proportions.size(), 10U);
    EXPECT_EQ(host.proportions.front(), 0.0);
    EXPECT_EQ(host.proportions.back(), 0.9);
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
        Owned owned(CPrimType::Int32, 2, 3, 1, std::vector<std::int32_t>(6, 5));
        Feed(filter, owned);
        ASSERT_EQ(filter.BeginExport(second.c_str(), false), ExportStatus::Done);
        EXPECT_FALSE(std::filesystem::exists(first)) << "a second BeginExport gives up the first file";
        EXPECT_EQ(host.progressStarts, 2);
        EXPECT_EQ(host.progressStops, 1);
        orvo::TrLatticeScan scan(owned.lattice);
        EXPECT_EQ(filter.ExportObject(scan), ExportStatus::NotHandled) << "the new export has no lattice yet";
    }
    EXPECT_FALSE(std::filesystem::exists(second)) << "destruction mid-export abandons the file";
    EXPECT_FALSE(std::filesystem::exists(dir.File("second.hdr")));
    EXPECT_FALSE(host.ProgressOpen());
}

TEST(Export, ADataFileThatCannotBeCreatedRaisesFromBeginExportAndShowsNoProgress)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    EXPECT_THROW(filter.BeginExport(dir.File("no/such/folder/out.bil").c_str(), false), tamsel::CFileError);
    EXPECT_EQ(host.progressStarts, 0);
    EXPECT_EQ(CatchIoError([&] { filter.EndExport(); }).GetCode(), 15) << "no export is open";
    Owned owned(CPrimType::Int32, 1, 1, 1, std::vector<std::int32_t>{9});
    EXPECT_EQ(Export(dir.File("out.bil"), owned), Le32({9})) << "the filter is still usable";
}

TEST(Export, AHeaderThatCannotBeCreatedRaisesFromEndExportAndKeepsTheData)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("taken.hdr"));
    TestHost host;
    BndExportFilter filter(host);
    Owned owned(CPrimType::Int32, 2, 1, 1, std::vector<std::int32_t>{4, 5});
    ASSERT_EQ(filter.BeginExport(dir.File("taken.bil").c_str(), false), ExportStatus::Done);
    Feed(filter, owned);
    const orvo::IoError error = CatchIoError([&] { filter.EndExport(); });
    EXPECT_EQ(std::string(error.what()), "Unable to create the header file " + dir.File("taken.hdr") + ".");
    EXPECT_EQ(ReadAll(dir.File("taken.bil")), Le32({4, 5})) << "the data file is complete and stays";
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.hdr")));
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
                 {CPrimType(-1), 10, 10, 1, 1}};
    for (const auto& c : cases) {
        orvo::TrUniformLattice lattice(c.type, c.columns, c.rows, c.planes, c.components);
        EXPECT_EQ(filter.ExportObject(lattice), ExportStatus::NotHandled) << c.columns << "x" << c.rows;
        EXPECT_EQ(lattice.storageOrder, 0) << "a refused lattice is left as it was";
    }
    EXPECT_EQ(filter.latticeCount, 0);
    EXPECT_EQ(filter.EndExport(), ExportStatus::NothingExported);

    // The largest lattice that fits: rows x planes and each row just within 32 bits.
    ASSERT_EQ(filter.BeginExport(dir.File("huge.bsq").c_str(), false), ExportStatus::Done);
    orvo::TrUniformLattice largest(CPrimType::Int32, 1, INT32_MAX, 1, 1);
    EXPECT_EQ(filter.ExportObject(largest), ExportStatus::Done);
}

} // namespace
} // namespace fennick::test
