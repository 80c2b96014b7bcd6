// bndhost preview: one band of a raster as a grayscale PNG.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "Commands.h"
#include "Imports.h"
#include "Outputs.h"
#include "PngWriter.h"
#include "Session.h"
#include "files/Platform.h"
#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"

namespace bndhost {

namespace fs = std::filesystem;
using fennick::platform::TextOf;

// Two passes: the first finds the band's range, the second scales each row
// into the image, so memory holds only the 8-bit image. Nodata and NaN nodes are black.
Exit RunPreview(Session& session, const fs::path& path, const fs::path& png, int band, std::ostream& out)
{
    TextOutput output(path, png, session);
    Imported imported;
    if (const Exit result = Gather(session, path, imported); result != ExitDone) {
        return result;
    }
    const BandStatistics& stats = imported.stats;
    if (band < 0 || static_cast<std::size_t>(band) >= stats.Bands().size()) {
        throw std::runtime_error(TextOf(path) + " has no band " + std::to_string(band) + " (it has " +
                                 std::to_string(stats.Bands().size()) + ", counted from 0)");
    }
    const double low = stats.Bands()[static_cast<std::size_t>(band)].minimum;
    const double high = stats.Bands()[static_cast<std::size_t>(band)].maximum;
    const double scale = high > low ? 255.0 / (high - low) : 0.0;
    const int width = imported.lattice->columns;
    const int height = imported.lattice->rows;
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const Exit result = session.Import(path, AnyLattice, [&](orvo::TrLatticeScan& scan) {
        ForEachValue(scan, [&](std::size_t, std::size_t b, auto value) {
            if (b == static_cast<std::size_t>(band)) {
                const auto number = static_cast<double>(value);
                const long level = stats.IsMissing(value) ? 0 : std::lround((number - low) * scale);
                pixels.push_back(static_cast<unsigned char>(std::clamp(level, 0L, 255L)));
            }
        });
        return true;
    });
    if (result != ExitDone) {
        return result;
    }
    WriteGrayPng(output.Path(), TextOf(png), width, height, pixels);
    // Reported before the image is put in place: a run whose report fails
    // fails whole, and leaves no file.
    out << "wrote " << TextOf(png) << " (" << width << " x " << height << ", band " << band << ", " << low << " to "
        << high << ")\n";
    if (!out.flush()) {
        throw std::runtime_error(std::string("cannot write the standard output: ") + std::strerror(errno) + "; " +
                                 TextOf(png) + " was not written");
    }
    output.Commit();
    return ExitDone;
}

} // namespace bndhost
