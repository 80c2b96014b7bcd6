#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

#include "export/BndExportFilter.h"
#include "export/SampleEncoder.h"
#include "hostside/FileError.h"
#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"
#include "support/CaseFile.h"
#include "support/Posix.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

using orvo::ExportStatus;
using tamsel::CPrimType;
using Bytes = std::vector<unsigned char>;

// Writes whitespace-separated numbers as elements of `type` from `at` on.
void Fill(CPrimType type, unsigned char* at, const std::string& values)
{
    std::istringstream numbers(values);
    for (std::string number; numbers >> number; at += CPrimType::TypeSize[type]) {
        double value = 0; // read whatever the C locale, and "nan" and "inf" too
        std::from_chars(number.data(), number.data() + number.size(), value);
        tamsel::VisitPrimType(type, [&](auto zero) {
            const auto sample = static_cast<decltype(zero)>(value);
            std::memcpy(at, &sample, sizeof sample);
        });
    }
}

// A lattice and its values, filled from `from` in row-major node order (the rest 0).
struct Owned {
    orvo::TrUniformLattice lattice;
    orvo::LatticeValues values;

    Owned(CPrimType type, int columns, int rows, int bands, int planes = 1, const std::string& from = {})
        : lattice(type, columns, rows, planes, bands), values(lattice)
    {
        Fill(type, values.Row(0, 0), from);
    }
};

// Hands `lattice` and then every row of every plane of `rows` to the filter,
// as a host does: it stops delivering when a row is refused.
void Feed(BndExportFilter& filter, orvo::TrUniformLattice& lattice, Owned& rows, int taken = 0)
{
    ASSERT_EQ(static_cast<int>(filter.ExportObject(lattice)), taken);
    if (taken != 0) {
        return;
    }
    orvo::TrLatticeScan scan(rows.lattice);
    for (int plane = 0; plane < rows.lattice.planes; ++plane) {
        for (int row = 0; row < rows.lattice.rows; ++row) {
            if (rows.values.RowBytes() > 0) { // an empty row's buffers may be null
                std::memcpy(scan.rowBuffer, rows.values.Row(plane, row), rows.values.RowBytes());
            }
            if (filter.ExportObject(scan) != ExportStatus::Done) {
                return;
            }
        }
    }
}

// A lattice of a case row's "TYPE COLUMNS ROWS BANDS [PLANES]", holding `values`.
std::unique_ptr<Owned> LatticeOf(const std::string& shape, const std::string& values = {})
{
    std::istringstream in(shape);
    std::string type;
    int columns = 0, rows = 0, bands = 0, planes = 1;
    in >> type >> columns >> rows >> bands;
    if (!(in >> planes)) {
        planes = 1;
    }
    const auto* entry = std::find_if(std::begin(kElementTypes), std::end(kElementTypes),
                                     [&](const ElementType& known) { return type == known.name; });
    return std::make_unique<Owned>(CPrimType(entry->id), columns, rows, bands, planes, values);
}

// Little-endian 32-bit samples of whitespace-separated whole numbers (-1 is FF FF FF FF).
Bytes Le32(const std::string& numbers)
{
    Bytes out;
    std::istringstream in(numbers);
    for (long long value = 0; in >> value;) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> shift));
        }
    }
    return out;
}

// The lattices of tests/data/exports.cases, handed to the filter as a host
// hands them, under a decimal-comma locale where one can be had (a header
// holds decimal points whatever the locale); the folder must then hold the
// files it held and, after status 0, the export's two.
class ExportCases : public DecimalCommaCases {};

TEST_P(ExportCases, GiveTheFilesTheRowSays)
{
    const Case& c = GetParam();
    TempDir dir;
    LayFiles(c, dir);
    const auto before = FilesIn(dir);
    const std::string name = c.Get("out", "a.bil");
    TestHost host;
    if (c.Has("stop-at")) {
        host.cancelAtProportionCall = std::stoi(c.Get("stop-at"));
    }
    BndExportFilter filter(host);
    const auto said = [&](const std::function<void()>& work) {
        std::string text = CatchIoError(work).what();
        for (std::size_t at = 0; (at = text.find(dir.File(""))) != std::string::npos;) {
            text.erase(at, dir.File("").size()); // the rows name files without their folder
        }
        return text;
    };
    for (const auto& [key, value, line] : c.fields) {
        if (key.starts_with("begin")) {
            SCOPED_TRACE(c.At(line));
            const std::string out = key == "begin" ? name : key.substr(6);
            EXPECT_EQ(said([&] { BndExportFilter(host).BeginExport(dir.File(out).c_str(), false); }), value);
            EXPECT_TRUE(FilesIn(dir) == before) << "a refused export changes no file";
            EXPECT_EQ(host.progressStarts, 0);
        }
    }
    if (!c.Has("lattice")) {
        return;
    }
    ASSERT_EQ(filter.BeginExport(dir.File(name).c_str(), false), ExportStatus::Done);
    for (const std::string key : {"lattice", "then"}) {
        if (!c.Has(key)) {
            continue;
        }
        const auto lattice = LatticeOf(c.Get(key));
        std::istringstream geometry(c.Get(key + "-geometry"));
        geometry >> lattice->lattice.xMin >> lattice->lattice.yMin >> lattice->lattice.dx >> lattice->lattice.dy;
        if (c.Has("refused")) {
            EXPECT_EQ(said([&] { filter.ExportObject(lattice->lattice); }), c.Get("refused"));
            continue;
        }
        const auto rows = LatticeOf(c.Get(key), c.Get(key + "-values"));
        Feed(filter, lattice->lattice, *rows, std::stoi(c.Get("taken", "0")));
    }
    const int status = std::stoi(c.Get("end", "0"));
    EXPECT_EQ(static_cast<int>(filter.EndExport()), status);
    EXPECT_FALSE(host.ProgressOpen());
    const std::string headerName = c.Get("header-file", name.substr(0, name.rfind('.')) + ".hdr");
    const std::string header = ReadText(dir.File(headerName));
    auto expected = before;
    if (status == 0) {
        expected[name] = Le32(c.Get("data"));
        expected[headerName].assign(header.begin(), header.end());
        EXPECT_EQ(ReadAll(dir.File(name)), expected[name]);
    }
    EXPECT_TRUE(FilesIn(dir) == expected) << "a file changed, or one is left besides the export's two";
    if (c.Has("header")) {
        EXPECT_EQ(header, c.Get("header"));
    }
    std::istringstream lines(c.Get("header-has"));
    for (std::string line; std::getline(lines, line);) {
        EXPECT_NE(("\n" + header).find("\n" + line + "\r\n"), std::string::npos) << line << " in\n" << header;
    }
    if (c.Has("progress")) {
        std::ostringstream shown;
        for (const double fraction : host.proportions) {
            shown << (shown.tellp() > 0 ? " " : "") << fraction;
        }
        EXPECT_EQ(shown.str(), c.Get("progress"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ExportCases, testing::ValuesIn(ReadCases("exports.cases")), CaseName);

// Refused names, a missing folder, no lattice, a second BeginExport, a stop
// and the filter's destruction leave the previous raster and no temporary.
TEST(Export, AnExportThatDoesNotEndWithALatticeChangesNothing)
{
    TempDir dir;
    dir.Write("a.bil", "old data");
    dir.Write("a.hdr", "nrows 2\nncols 2\n");
    const auto before = FilesIn(dir);
    const std::string path = dir.File("a.bil");
    TestHost host;
    Owned owned(CPrimType::Int32, 2, 2, 1, 1, "9 8 7 6");
    orvo::TrLatticeScan scan(owned.lattice);
    {
        BndExportFilter filter(host);
        EXPECT_EQ(CatchIoError([&] { filter.EndExport(); }).GetCode(), 15);
        const std::string missing = dir.File("no/such/folder/out.bil");
        const orvo::IoError error = CatchIoError([&] { filter.BeginExport(missing.c_str(), false); });
        EXPECT_EQ(std::string(error.what()).rfind(missing + ": ", 0), 0u) << error.what();
        EXPECT_EQ(host.progressStarts, 0);

        ASSERT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
        EXPECT_EQ(host.messages, std::vector<std::string>{"Exporting to Banded format file a.bil"});
        orvo::TrCRS crs("EPSG:4326");
        EXPECT_EQ(filter.ExportObject(crs), ExportStatus::NotHandled);
        EXPECT_EQ(filter.ExportObject(scan), ExportStatus::NotHandled) << "a row before any lattice";
        EXPECT_EQ(filter.EndExport(), ExportStatus::NothingExported);
        EXPECT_TRUE(FilesIn(dir) == before);
        EXPECT_EQ(CatchIoError([&] { filter.EndExport(); }).GetSourceFile(), "BndExportFilter");

        ASSERT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
        Feed(filter, owned.lattice, owned);
        ASSERT_EQ(filter.BeginExport(dir.File("b.bil").c_str(), false), ExportStatus::Done);
        auto files = FilesIn(dir);
        std::erase_if(files, [](const auto& file) { return file.first.starts_with(".b."); });
        EXPECT_TRUE(files == before) << "a second BeginExport gives up the first export";
        EXPECT_EQ(filter.ExportObject(scan), ExportStatus::NotHandled) << "the new export has no lattice yet";
        EXPECT_EQ(host.progressStops, host.progressStarts - 1);

        host.cancelAtProportionCall = static_cast<int>(host.proportions.size());
        ASSERT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
        Feed(filter, owned.lattice, owned);
        EXPECT_EQ(filter.ExportObject(scan), ExportStatus::Stopped);
        EXPECT_EQ(filter.ExportObject(owned.lattice), ExportStatus::Stopped);
        EXPECT_EQ(filter.EndExport(), ExportStatus::Stopped);
        EXPECT_TRUE(FilesIn(dir) == before);

        ASSERT_EQ(filter.BeginExport(path.c_str(), false), ExportStatus::Done);
        Feed(filter, owned.lattice, owned);
    }
    EXPECT_TRUE(FilesIn(dir) == before) << "destruction mid-export gives it up";
    EXPECT_FALSE(host.ProgressOpen());
}

// Progress reaches 1 only for a row beyond the last. A header of another case
// put beside the output since BeginExport is replaced under its own name.
TEST(Export, EndExportCommitsToWhatTheFolderHoldsThen)
{
    TempDir dir;
    TestHost host;
    BndExportFilter filter(host);
    Owned owned(CPrimType::Int32, 2, 2, 1);
    orvo::TrLatticeScan scan(owned.lattice);
    ASSERT_EQ(filter.BeginExport(dir.File("a.bil").c_str(), false), ExportStatus::Done);
    ASSERT_EQ(filter.ExportObject(owned.lattice), ExportStatus::Done);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(filter.ExportObject(scan), ExportStatus::Done);
    }
    EXPECT_EQ(host.proportions, (std::vector<double>{0.0, 0.5, 1.0}));
    ASSERT_EQ(filter.BeginExport(dir.File("b.bil").c_str(), false), ExportStatus::Done);
    dir.Write(kPosix ? "B.HDR" : "b.hdr", "nrows 2\nncols 2\n");
    Feed(filter, owned.lattice, owned);
    EXPECT_EQ(filter.EndExport(), ExportStatus::Done);
    EXPECT_NE(ReadText(dir.File(kPosix ? "B.HDR" : "b.hdr")).find("ncols 2\r\nnrows 2\r\n"), std::string::npos);
    EXPECT_EQ(FilesIn(dir).size(), 2u) << "one header, under the name it had, and no temporary";
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
                 {CPrimType(99), 10, 10, 1, 1},
                 {CPrimType(-1), 10, 10, 1, 1}};
    for (const auto& c : cases) {
        orvo::TrUniformLattice lattice(c.type, c.columns, c.rows, c.planes, c.components);
        EXPECT_EQ(filter.ExportObject(lattice), ExportStatus::NotHandled) << c.columns << "x" << c.rows;
        EXPECT_EQ(lattice.storageOrder, 0) << "a refused lattice is left as it was";
    }
    // The most negative rows are refused, not computed with.
    orvo::TrUniformLattice negative(CPrimType::Int32, 2, INT32_MIN, 1, 1);
    EXPECT_NE(std::string(CatchIoError([&] { filter.ExportObject(negative); }).what()).find("-2147483648 rows"),
              std::string::npos);
    EXPECT_EQ(filter.latticeCount, 0);
    EXPECT_EQ(filter.EndExport(), ExportStatus::NothingExported);

    // The largest lattice that fits: rows x planes and each row just within 32 bits.
    ASSERT_EQ(filter.BeginExport(dir.File("huge.bsq").c_str(), false), ExportStatus::Done);
    orvo::TrUniformLattice largest(CPrimType::Int32, 2, INT32_MAX, 1, 1);
    EXPECT_EQ(filter.ExportObject(largest), ExportStatus::Done);
}

} // namespace
} // namespace fennick::test
