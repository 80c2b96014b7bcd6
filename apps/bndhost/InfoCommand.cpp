// bndhost info: what the module read of a file, as text or JSON.
#include <cmath>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>

#include "Commands.h"
#include "Imports.h"
#include "Json.h"
#include "Session.h"
#include "fennick/Facts.h"
#include "files/Platform.h"
#include "tamsel/Format.h"

namespace bndhost {

namespace fs = std::filesystem;
namespace facts = fennick::facts;
using fennick::platform::TextOf;

namespace {

// A band statistic in the text report: ten significant digits; a
// whole-number lattice's extremes exactly; infinities and NaN as inf, -inf
// and nan.
std::string Shown(double value)
{
    if (std::isnan(value)) {
        return "nan";
    }
    std::string text;
    tamsel::FormatString(text, "%.10g", value);
    return text;
}

// The extremes of band `b`, exactly for a whole-number lattice.
std::pair<std::string, std::string> Extremes(const BandStatistics& stats, const BandStatistics::Band& b,
                                             std::string (*show)(double))
{
    if (stats.Whole()) {
        return {std::to_string(b.wholeMinimum), std::to_string(b.wholeMaximum)};
    }
    return {show(b.minimum), show(b.maximum)};
}

void PrintInfoText(int probe, const Imported& imported, std::ostream& out)
{
    static constexpr const char* kProbeMeaning[] = {
        "not a banded raster this module can read", "a banded raster whose data file has the size its header describes",
        "a banded raster whose data file's size differs from what its header describes"};
    const orvo::TrUniformLattice& lattice = *imported.lattice;
    const auto fact = [&](const char* key) { return Fact(lattice, key).value_or("unknown"); };
    const auto nodes = [](std::uint64_t n) { return std::to_string(n) + (n == 1 ? " node" : " nodes"); };
    const std::string order = fact(facts::kByteOrder);
    out << "probe: " << probe << " (" << kProbeMeaning[probe == 1 || probe == 2 ? probe : 0] << ")\n"
        << PlainText(Fact(lattice, "LatticeInfo").value_or("")) << "Header dialect:\t" << fact(facts::kHeaderDialect)
        << "\nLayout:\t" << fact(facts::kLayout) << "\nBands:\t" << lattice.components << "\nBits:\t"
        << fact(facts::kBits) << ", byte order " << order
        << (order == "M"   ? " (most significant byte first)"
            : order == "I" ? " (least significant byte first)"
                           : "")
        << "\nElement type:\t" << ElementTypeName(lattice.elementType) << "\nData size:\t" << fact(facts::kDataSize)
        << " bytes (the header describes " << fact(facts::kDescribedSize) << ")";
    std::uint64_t nodata = 0;
    std::uint64_t nan = 0;
    for (const BandStatistics::Band& band : imported.stats.Bands()) {
        nodata += band.nodata;
        nan += band.nan;
    }
    if (NodataOf(lattice).real) { // as the header writes it
        out << "\nNodata:\t" << fact(facts::kNodata) << ", held by " << nodes(nodata)
            << " (left out of the statistics)";
    }
    if (nan > 0) {
        out << "\nNaN:\t" << nodes(nan) << " (left out of the statistics)";
    }
    out << "\nband  minimum          maximum          mean\n";
    std::string line;
    for (std::size_t band = 0; band < imported.stats.Bands().size(); ++band) {
        const BandStatistics::Band& b = imported.stats.Bands()[band];
        if (b.count == 0) {
            tamsel::FormatString(line, "%-5zu %-16s %-16s %s\n", band, "-", "-", "-");
        } else {
            const auto [low, high] = Extremes(imported.stats, b, Shown);
            tamsel::FormatString(line, "%-5zu %-16s %-16s %s\n", band, low.c_str(), high.c_str(),
                                 Shown(b.Mean()).c_str());
        }
        out << line;
    }
}

void PrintInfoJson(const fs::path& path, int probe, const Imported& imported, std::ostream& out)
{
    const orvo::TrUniformLattice& lattice = *imported.lattice;
    // A fact as a JSON string, or as the number it holds, or null.
    const auto fact = [&](const char* key, bool number = false) {
        const std::optional<std::string> value = Fact(lattice, key);
        return !value ? "null" : number ? *value : JsonString(*value);
    };
    // A whole-number lattice's nodata exactly, as it is compared.
    const Nodata nodata = NodataOf(lattice);
    const std::string nodataShown = nodata.whole && imported.stats.Whole() ? std::to_string(*nodata.whole)
                                    : nodata.real                          ? JsonNumber(*nodata.real)
                                                                           : "null";
    out << "{\n  \"file\": " << JsonString(TextOf(path)) << ",\n  \"probe\": " << probe
        << ",\n  \"rows\": " << lattice.rows << ",\n  \"columns\": " << lattice.columns
        << ",\n  \"bands\": " << lattice.components
        << ",\n  \"elementType\": " << JsonString(ElementTypeName(lattice.elementType))
        << ",\n  \"xMin\": " << JsonNumber(lattice.xMin, true) << ",\n  \"yMin\": " << JsonNumber(lattice.yMin, true)
        << ",\n  \"dx\": " << JsonNumber(lattice.dx, true) << ",\n  \"dy\": " << JsonNumber(lattice.dy, true)
        << ",\n  \"dialect\": " << fact(facts::kHeaderDialect) << ",\n  \"layout\": " << fact(facts::kLayout)
        << ",\n  \"nbits\": " << fact(facts::kBits, true) << ",\n  \"byteorder\": " << fact(facts::kByteOrder)
        << ",\n  \"pixeltype\": " << fact(facts::kPixelType) << ",\n  \"dataSize\": " << fact(facts::kDataSize, true)
        << ",\n  \"expectedSize\": " << fact(facts::kDescribedSize, true)
        << ",\n  \"headerFile\": " << fact(facts::kHeaderFile) << ",\n  \"worldFile\": " << fact(facts::kWorldFile)
        << ",\n  \"statisticsFile\": " << fact(facts::kStatisticsFile) << ",\n  \"nodata\": " << nodataShown
        << ",\n  \"statistics\": [";
    for (std::size_t band = 0; band < imported.stats.Bands().size(); ++band) {
        const BandStatistics::Band& b = imported.stats.Bands()[band];
        const bool any = b.count > 0;
        const auto [low, high] = Extremes(imported.stats, b, [](double value) { return JsonNumber(value); });
        out << (band == 0 ? "\n" : ",\n") << "    {\"band\": " << band << ", \"count\": " << b.count
            << ", \"nodata\": " << b.nodata << ", \"nan\": " << b.nan << ", \"minimum\": " << (any ? low : "null")
            << ", \"maximum\": " << (any ? high : "null") << ", \"mean\": " << (any ? JsonNumber(b.Mean()) : "null")
            << "}";
    }
    out << "\n  ]\n}\n";
}

} // namespace

Exit RunInfo(Session& session, const fs::path& path, bool json, std::ostream& out)
{
    const int probe = session.Probe(path);
    Imported imported;
    if (const Exit result = Gather(session, path, imported); result != ExitDone) {
        return result;
    }
    // The probe fails only quietly: after an import that read the file, the
    // files changed or their storage is failing.
    if (probe == 0) {
        throw std::runtime_error("the import of " + TextOf(path) +
                                 " read it, but its probe could not: its files changed or their storage is failing");
    }
    json ? PrintInfoJson(path, probe, imported, out) : PrintInfoText(probe, imported, out);
    return ExitDone;
}

} // namespace bndhost
