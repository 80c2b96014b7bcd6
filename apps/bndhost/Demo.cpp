// The built-in example: a sample raster of bndhost's own making, converted to
// every layout, imported back and checked value by value.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <vector>

#include "BandStatistics.h"
#include "Commands.h"
#include "RasterWriter.h"
#include "Session.h"
#include "fennick/Facts.h"
#include "files/Platform.h"

namespace bndhost {

namespace {

namespace fs = std::filesystem;
using fennick::platform::TextOf;

constexpr int kRows = 300;
constexpr int kColumns = 400;
constexpr int kBands = 3;
constexpr double kCell = 30.0;
constexpr double kWest = 500000.0;
constexpr double kNorth = 4100000.0;

// Band 0 is a smooth terrain, band 1 a signed ramp, band 2 concentric rings.
std::int16_t DemoValue(int band, int row, int column)
{
    const int dx = column - kColumns / 2;
    const int dy = row - kRows / 2;
    const long value = band == 0   ? std::lround(1200 + 600 * std::sin(column / 31.0) * std::cos(row / 23.0) + 2 * row)
                       : band == 1 ? column * 40 - row * 30 - 5000
                                   : (dx * dx + dy * dy) / 8 % 2000 - 1000;
    return static_cast<std::int16_t>(value);
}

// Writes demo.bil (16-bit, most significant byte first, BIL) with its header,
// world file and statistics file; returns the data path.
fs::path WriteSample(const fs::path& folder)
{
    fs::path data = folder / "demo.bil";
    const rasters::RasterShape shape{
        .layout = "BIL", .nbits = 16, .byteorder = 'M', .nrows = kRows, .ncols = kColumns, .nbands = kBands};
    std::vector<BandStatistics::Band> bands(kBands);
    rasters::WriteRaster(
        TextOf(data), shape,
        [&](int r, int b, int c) {
            const std::int16_t value = DemoValue(b, r, c);
            bands[static_cast<std::size_t>(b)].Add(value);
            return static_cast<std::uint16_t>(value);
        },
        "sample raster written by bndhost demo");
    std::ofstream world(folder / "demo.blw", std::ios::binary);
    world << kCell << "\n0\n0\n" << -kCell << '\n' << std::fixed << kWest << '\n' << kNorth << '\n';
    std::ofstream stats(folder / "demo.stx", std::ios::binary);
    stats << "band minimum maximum mean\n";
    for (std::size_t b = 0; b < bands.size(); ++b) {
        stats << b + 1 << ' ' << bands[b].minimum << ' ' << bands[b].maximum << ' ' << bands[b].Mean() << '\n';
    }
    world.close();
    stats.close();
    if (!world || !stats) {
        throw std::runtime_error("cannot write the world and statistics files in " + TextOf(folder) + ": " +
                                 std::strerror(errno));
    }
    return data;
}

// Imports `path` and counts every value and geometry figure that differs from the sample.
Exit Check(Session& session, const fs::path& path, long long& failures, std::ostream& out)
{
    int row = 0;
    const auto fail = [&](const std::string& what) {
        if (failures++ < 10) {
            out << "  mismatch in " << TextOf(path) << ": " << what << '\n';
        }
    };
    const auto checkLattice = [&](const orvo::TrUniformLattice& lattice) {
        if (lattice.columns != kColumns || lattice.rows != kRows || lattice.components != kBands) {
            fail("size");
        }
        if (lattice.xMin != kWest || lattice.yMin != kNorth - (kRows - 1) * kCell || lattice.dx != kCell ||
            lattice.dy != kCell) {
            fail("geometry");
        }
        return true;
    };
    const Exit result = session.Import(path, checkLattice, [&](const orvo::TrLatticeScan& scan) {
        ForEachValue(scan, [&](std::size_t column, std::size_t band, auto value) {
            if (static_cast<double>(value) != DemoValue(static_cast<int>(band), row, static_cast<int>(column))) {
                fail("row " + std::to_string(row) + " column " + std::to_string(column) + " band " +
                     std::to_string(band));
            }
        });
        ++row;
        return true;
    });
    if (result == ExitDone && row != kRows) {
        fail(std::to_string(row) + " rows");
    }
    return result;
}

// A new folder, or one that exists and is empty, so that the demo never
// writes over a user's files.
void PrepareEmptyFolder(const fs::path& folder)
{
    std::error_code error;
    if (!fs::create_directories(folder, error) &&
        (error || !fs::is_directory(folder, error) || !fs::is_empty(folder, error))) {
        throw std::runtime_error(error ? "cannot create the folder " + TextOf(folder) + ": " + error.message()
                                       : "refused: the demo writes only into a new or empty folder, and " +
                                             TextOf(folder) + " is not one");
    }
}

// The demo's steps in `folder`, which is removed afterwards unless `keep`.
Exit RunDemoIn(Session& session, const fs::path& folder, bool keep, std::ostream& out)
{
    out << "fennick demo in " << TextOf(folder) << (keep ? "" : " (a temporary folder, removed at the end)") << "\n\n";
    const fs::path sample = WriteSample(folder);
    out << "sample: " << kRows << " rows x " << kColumns << " columns x " << kBands
        << " bands of 16-bit samples, most significant byte first, BIL, with world and statistics files\n";
    if (const Exit result = RunInfo(session, sample, false, out); result != ExitDone) {
        return result;
    }

    long long failures = 0;
    for (const fennick::LayoutNames& layout : fennick::kLayouts) {
        // Each layout gets its own name: a data file's header is found by its name alone.
        const fs::path converted = folder / (std::string("converted-") + (layout.extension + 1) + layout.extension);
        if (const Exit result = RunConvert(session, sample, converted); result != ExitDone) {
            return result;
        }
        if (const Exit result = Check(session, converted, failures, out); result != ExitDone) {
            return result;
        }
        out << "\nconverted to " << TextOf(converted) << " and checked every value and the geometry\n";
    }
    const fs::path png = folder / "demo.png";
    out << '\n';
    if (const Exit result = RunPreview(session, sample, png, 0, out); result != ExitDone) {
        return result;
    }
    const long long checked = 3LL * kRows * kColumns * kBands;
    if (failures > 0) {
        out << "demo: FAILED: " << failures << " of " << checked << " values or figures differ\n";
        return ExitError;
    }
    out << "demo: every check held (" << checked << " values through BIL, BIP and BSQ)"
        << (keep ? "" : "; give a folder (demo DIR) to keep the files") << '\n';
    return ExitDone;
}

} // namespace

Exit RunDemo(Session& session, const fs::path& folder, std::ostream& out)
{
    if (folder.empty()) { // a new temporary folder, removed afterwards however the demo ends
        const fs::path temporary =
            fs::temp_directory_path() / ("fennick-demo-" + std::to_string(std::random_device()()));
        if (!fs::create_directory(temporary)) {
            throw std::runtime_error("cannot create the folder " + TextOf(temporary) + ": it exists");
        }
        const std::unique_ptr<const fs::path, void (*)(const fs::path*)> removing(&temporary, [](const fs::path* path) {
            std::error_code error;
            fs::remove_all(*path, error);
        });
        return RunDemoIn(session, temporary, false, out);
    }
    PrepareEmptyFolder(folder);
    return RunDemoIn(session, folder, true, out);
}

} // namespace bndhost
