// The file sets of tests/data/headers.cases and hostile.cases: what the
// format's reader makes of a header, world and statistics file, and what the
// import then does. A set the reader refuses, the import refuses alike.
#include <clocale>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

#include "RasterWriter.h"
#include "export/BndExportFilter.h"
#include "files/Platform.h"
#include "format/TextLines.h"
#include "import/BndImportFilter.h"
#include "support/AllocationWatch.h"
#include "support/CaseFile.h"
#include "support/Posix.h"
#include "support/TestHost.h"

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
    std::ostringstream text;
    text.precision(17);
    text << "dialect " << DialectName(d.dialect) << "\nnrows " << h.nrows << "\nncols " << h.ncols << "\nnbands "
         << h.nbands << "\nnbits " << h.nbits << "\nbyteorder " << h.byteorder << "\nlayout " << h.layout
         << "\nskipbytes " << h.skipbytes << "\nulxmap " << h.ulxmap << "\nulymap " << h.ulymap << "\nxdim " << h.xdim
         << "\nydim " << h.ydim << "\nbandrowbytes " << h.bandrowbytes << "\ntotalrowbytes " << h.totalrowbytes
         << "\nbandgapbytes " << h.bandgapbytes << "\nProjection " << h.Projection << "\nDatum " << h.Datum
         << "\nUnits " << h.Units << "\nlayoutCode " << LayoutName(d.layoutCode) << "\nsampleType "
         << static_cast<int>(d.sampleType) << "\nswapBytes " << d.swapBytes << "\nrowsUpward " << d.rowsUpward
         << "\nvalueMin " << d.valueMin << "\nvalueMax " << d.valueMax << "\nnodata "
         << (d.nodata ? Number(*d.nodata) : "none") << "\n";
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

// The rows of both tables; the first row of headers.cases holds what a
// header of 3 rows and 4 columns reads as, where every expect starts.
std::vector<Case> Rows()
{
    std::vector<Case> rows = ReadCases("headers.cases");
    const std::vector<Case> hostile = ReadCases("hostile.cases");
    rows.insert(rows.end(), hostile.begin(), hostile.end());
    return {rows.begin() + 1, rows.end()};
}

const std::map<std::string, std::string>& Defaults()
{
    static const auto defaults = Expected({}, ReadCases("headers.cases").at(0).Get("defaults"));
    return defaults;
}

// What the import did with a data file: its probe and how it ended, never
// handing the host a lattice, with no allocation beyond what the files
// justify (the largest here is 4 MiB, refused unread).
struct Imported {
    int probe = -1;
    std::string ended = "silently"; // or host-error, other-error
    std::string said;
};

Imported Import(const std::string& data)
{
    constexpr std::size_t kJustified = 4 << 20;
    const bool watching = AllocationWatchSeesArrays();
    TestHost host;
    host.warningAnswer = 1;
    BndImportFilter filter(host);
    Imported imported;
    ResetLargestAllocation();
    imported.probe = filter.ProbeFile(data.c_str());
    try {
        EXPECT_EQ(filter.ImportFromFile(data.c_str(), false), orvo::ImportStatus::Stopped);
    } catch (const orvo::IoError& error) {
        imported = {imported.probe, "host-error", error.what()};
        EXPECT_EQ(error.GetSourceFile(), "BndImportFilter");
        const bool badRecord = imported.said.find(" at line ") != std::string::npos;
        EXPECT_EQ(error.GetCode(), badRecord ? std::optional(23) : std::nullopt) << "a bad record, and only it";
    } catch (const std::exception& error) {
        imported = {imported.probe, "other-error", error.what()};
    }
    EXPECT_TRUE(!watching || (LargestAllocation() > 0 && LargestAllocation() < kJustified)) << LargestAllocation();
    EXPECT_FALSE(host.lattice) << "the host receives nothing from a refused file";
    EXPECT_FALSE(host.ProgressOpen());
    return imported;
}

// One reading of a row's files: with the file of extension `replaced` holding
// `content` instead, it reads as `expect` says, or is refused with `error`
// (silently when empty), or, for `probe`, is imported as the row says.
struct Check {
    std::string replaced{}, content{}, expect{}, error{};
    bool reads = false, imports = false;
    int line = 0;
};

// The row's own check, then one for each example: "expect FIELDS of EXT",
// "line N of EXT" (a bad record) or "invalid KEY VALUE of hdr".
std::vector<Check> ChecksOf(const Case& c)
{
    std::vector<Check> checks;
    if (c.Has("expect") || c.Has("error") || c.Has("silent") || c.Has("probe")) {
        checks.push_back({.expect = c.Get("expect"),
                          .error = c.Get("error"),
                          .reads = c.Has("expect"),
                          .imports = c.Has("probe"),
                          .line = c.line});
    }
    for (const auto& [key, value, line] : c.fields) {
        const std::size_t space = key.find(' '), of = key.rfind(" of ");
        const std::string kind = key.substr(0, space);
        if (of == std::string::npos || (kind != "expect" && kind != "line" && kind != "invalid")) {
            continue;
        }
        Check check{.replaced = key.substr(of + 4), .content = value, .reads = kind == "expect", .line = line};
        const std::string what = of > space ? key.substr(space + 1, of - space - 1) : "";
        const std::size_t last = what.rfind(' ');
        (check.reads ? check.expect : check.error) =
            kind == "expect" ? what
            : kind == "line"
                ? "Unknown record format at line " + what + " of <dir>/scene." + check.replaced + "."
                : "Invalid value " + what.substr(last + 1) + " for " + what.substr(0, last) + " in <dir>/scene.hdr.";
        checks.push_back(check);
    }
    return checks;
}

class FileSets : public DecimalCommaCases {};

// Each row's files beside the data file (data-path, default scene.bil): hdr
// (default 3 rows of 4 columns), data (default 12 bytes), blw, stx and any
// file NAME; a file set the reader refuses, the import refuses alike.
TEST_P(FileSets, ReadOrRefusedAsTheRowSays)
{
    const Case& c = GetParam();
    for (const Check& check : ChecksOf(c)) {
        SCOPED_TRACE(c.At(check.line));
        TempDir dir;
        const std::string name = c.Get("data-path", "scene.bil");
        for (const std::string side : {"hdr", "blw", "stx", "data"}) {
            const std::string own = c.Get(side, side == "hdr"    ? "nrows 3\nncols 4\n"
                                                : side == "data" ? "xxxxxxxxxxxx"
                                                                 : "<missing>");
            dir.Lay(side == "data" ? name : name.substr(0, name.rfind('.')) + "." + side,
                    side == check.replaced ? check.content : own);
        }
        LayFiles(c, dir);
        const std::string data = dir.File(name);
        const std::string error = std::regex_replace(check.error, std::regex("<dir>/"), (dir.Path() / "").string());
        if (check.imports) {
            const Imported imported = Import(data);
            EXPECT_EQ(imported.probe, std::stoi(c.Get("probe")));
            EXPECT_EQ(imported.ended, c.Get("ends", c.Has("said") ? "host-error" : "silently")) << imported.said;
            EXPECT_NE(imported.said.find(c.Get("said")), std::string::npos) << imported.said;
            continue;
        }
        // What another read left: each read starts from the defaults.
        BndDescription read;
        read.header.bandgapbytes = 7;
        read.rowsUpward = true;
        read.nodata = 5;
        for (const bool quiet : {true, false}) {
            if (check.reads) {
                ASSERT_EQ(ReadDescription(data.c_str(), quiet, read), 0);
                EXPECT_EQ(Fields(read), Expected(Defaults(), check.expect));
            } else if (quiet || error.empty()) {
                EXPECT_EQ(ReadDescription(data.c_str(), quiet, read), 1) << (quiet ? "quietly" : "silently");
            } else {
                EXPECT_EQ(CatchIoError([&] { ReadDescription(data.c_str(), false, read); }).what(), error);
            }
        }
        if (!check.reads) {
            const Imported imported = Import(data);
            EXPECT_EQ(imported.probe, 0);
            EXPECT_EQ(imported.said, error) << "the import refuses as the reader does";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FileSets, testing::ValuesIn(Rows()), CaseName);

// A byte-order mark is skipped at the start of a header alone: one that
// begins a later read of it belongs to its line, here a word that is no keyword.
TEST(Words, AMarkIsSkippedAtTheStartAlone)
{
    const TempDir dir;
    const std::string lines = "nrows 3\nncols 4\n"; // then a comment to the end of the first read
    dir.Write("scene.hdr",
              lines + std::string(TextLines::kChunkSize - lines.size() - 1, '#') + "\n\xEF\xBB\xBFnbands 2\n");
    BndDescription read;
    ASSERT_EQ(ReadDescription(dir.File("scene.bil").c_str(), false, read), 0);
    EXPECT_EQ(read.header.nbands, 1);
}

// Names and keywords ignore ASCII case alone, whatever the locale folds.
TEST(Words, IgnoreAsciiCaseAloneWhateverTheLocale)
{
    const TempDir dir;
    const bool folding = UseDecimalCommaLocale(dir);
    EXPECT_FALSE(platform::EqualsIgnoreCase("NR\xC9WS", "nr\xE9ws")) << (folding ? "" : "(no such locale here)");
    std::setlocale(LC_ALL, "C");
}

// Memory is one row, or a BSQ band window, whatever the raster's size: no
// single allocation of an import or an export comes near the raster's size,
// in any layout, with few bands (a window of 1 MiB) or many (16384 samples of
// each band, a fifth of this raster); and the export, written in many
// windows, puts every row in its place.
TEST(Memory, IsARowOrABandWindowWhateverTheRastersSize)
{
    if (!AllocationWatchSeesArrays()) {
        GTEST_SKIP() << "the allocation watch cannot see array allocations here";
    }
    constexpr std::size_t kFew = std::size_t{3} << 19, kMany = std::size_t{7} << 19; // a window and a row or two
    for (const auto& [shape, bound] : {std::pair{rasters::RasterShape{"BIL", 16, 'I', 1500, 2000, 2}, kFew},
                                       {{"BIP", 16, 'I', 1500, 2000, 2}, kFew},
                                       {{"BSQ", 16, 'I', 1500, 2000, 2}, kFew},
                                       {{"BSQ", 16, 'I', 1650, 50, 48}, kMany}}) {
        SCOPED_TRACE(shape.layout + " " + std::to_string(shape.nbands));
        TempDir dir;
        const rasters::SampleFunction value = [](int row, int band, int column) {
            return static_cast<std::uint32_t>(row * 7 + band * 3 + column);
        };
        rasters::WriteRaster(dir.File("in.dat"), shape, value);
        TestHost host;
        ResetLargestAllocation();
        ASSERT_EQ(BndImportFilter(host).ImportFromFile(dir.File("in.dat").c_str(), false), orvo::ImportStatus::Done);
        EXPECT_GT(LargestAllocation(), 0U) << "the watch sees the import";
        EXPECT_LT(LargestAllocation(), bound);

        orvo::TrUniformLattice lattice(tamsel::CPrimType::Int16, shape.ncols, shape.nrows, 1, shape.nbands);
        orvo::TrLatticeScan scan(lattice);
        const std::string out = dir.File("out." + shape.layout);
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
        EXPECT_LT(LargestAllocation(), bound);
        rasters::RasterShape written = shape;
        written.nbits = 32;
        EXPECT_TRUE(ReadAll(out) == rasters::DataBytes(written, value)) << "every row in its place";
    }
    // So many bands that a part of each would outgrow 16 MiB: the window
    // stops there, short of this (sparse) 19.2 MB raster.
    TempDir dir;
    dir.Write("many.hdr", "nrows 2000\nncols 8\nnbands 600\nnbits 16\nlayout BSQ\n");
    ASSERT_TRUE(WriteSparse(dir.File("many.bsq"), std::int64_t{2000} * 8 * 600 * 2, {}));
    TestHost host;
    ResetLargestAllocation();
    ASSERT_EQ(BndImportFilter(host).ImportFromFile(dir.File("many.bsq").c_str(), false), orvo::ImportStatus::Done);
    EXPECT_GT(LargestAllocation(), std::size_t{8} << 20) << "a part of 16384 samples of most bands";
    EXPECT_LT(LargestAllocation(), std::size_t{17} << 20);
}

} // namespace
} // namespace fennick::test
