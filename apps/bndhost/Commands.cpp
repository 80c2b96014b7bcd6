#include "Commands.h"

#include <cmath>
#include <iostream>
#include <vector>

#include "BandStatistics.h"
#include "PngWriter.h"
#include "hostside/ParamReader.h"
#include "tamsel/Format.h"

namespace bndhost {

namespace {

const char* ProbeMeaning(int probe)
{
    switch (probe) {
    case 1: return "a banded raster whose data file has the size its header describes";
    case 2: return "a banded raster whose data file's size differs from what its header describes";
    default: return "not a banded raster this module can read";
    }
}

// Imports `path` and gathers each band's statistics.
Exit Gather(Session& session, const std::string& path, BandStatistics& stats, std::string* info)
{
    return session.Import(
        path,
        [&](orvo::TrUniformLattice& lattice) {
            stats.Begin(lattice);
            if (const std::string* text = tamsel::CParamReader::Find(lattice.GetParams(), "LatticeInfo");
                text != nullptr && info != nullptr) {
                *info = *text;
            }
            return true;
        },
        [&](orvo::TrLatticeScan& scan) {
            stats.Add(scan);
            return true;
        });
}

} // namespace

Exit RunInfo(Session& session, const std::string& path, std::ostream& out)
{
    const int probe = session.Probe(path);
    out << "probe: " << probe << " (" << ProbeMeaning(probe) << ")\n";
    BandStatistics stats;
    std::string info;
    const Exit result = Gather(session, path, stats, &info);
    if (result != ExitDone) {
        return result;
    }
    if (probe == 0) {
        // The probe never raises: it fails quietly when it cannot read.
        Complain("the probe of " + path + " could not read it, but the import could: its storage may be failing");
        return ExitError;
    }
    out << PlainText(info);
    std::string line;
    out << "band  minimum          maximum          mean\n";
    for (std::size_t band = 0; band < stats.Bands().size(); ++band) {
        const BandStatistics::Band& b = stats.Bands()[band];
        tamsel::FormatString(line, "%-5zu %-16.10g %-16.10g %.10g\n", band, b.minimum, b.maximum, b.Mean());
        out << line;
    }
    return ExitDone;
}

Exit RunConvert(Session& session, const std::string& in, const std::string& out)
{
    return session.Convert(in, out);
}

// Two passes: the first finds the band's range, the second scales each row
// into the image, so memory holds only the 8-bit image.
Exit RunPreview(Session& session, const std::string& path, const std::string& png, int band, std::ostream& out)
{
    BandStatistics stats;
    if (const Exit result = Gather(session, path, stats, nullptr); result != ExitDone) {
        return result;
    }
    if (band < 0 || static_cast<std::size_t>(band) >= stats.Bands().size()) {
        Complain(path + " has no band " + std::to_string(band) + " (it has " + std::to_string(stats.Bands().size()) +
                 ", counted from 0)");
        return ExitError;
    }
    const double low = stats.Bands()[static_cast<std::size_t>(band)].minimum;
    const double high = stats.Bands()[static_cast<std::size_t>(band)].maximum;
    const double scale = high > low ? 255.0 / (high - low) : 0.0;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
    const Exit result = session.Import(
        path,
        [&](orvo::TrUniformLattice& lattice) {
            width = lattice.columns;
            height = lattice.rows;
            pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            return true;
        },
        [&](orvo::TrLatticeScan& scan) {
            ForEachValue(scan, [&](std::size_t /*column*/, std::size_t b, double value) {
                if (b == static_cast<std::size_t>(band)) {
                    pixels.push_back(static_cast<unsigned char>(std::lround((value - low) * scale)));
                }
            });
            return true;
        });
    if (result != ExitDone) {
        return result;
    }
    WriteGrayPng(png, width, height, pixels);
    out << "wrote " << png << " (" << width << " x " << height << ", band " << band << ", " << low << " to " << high
        << ")\n";
    return ExitDone;
}

} // namespace bndhost
