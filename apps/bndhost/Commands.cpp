#include "Commands.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "BandStatistics.h"
#include "HeaderFacts.h"
#include "PngWriter.h"
#include "StagedOutput.h"
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

// What an import handed over besides the rows: a copy of the lattice and its summary.
struct Imported {
    std::optional<orvo::TrUniformLattice> lattice;
    std::string info;
};

// Imports `path` and gathers each band's statistics, leaving out `nodata`.
Exit Gather(Session& session, const std::string& path, std::optional<double> nodata, BandStatistics& stats,
            Imported& imported)
{
    return session.Import(
        path,
        [&](orvo::TrUniformLattice& lattice) {
            stats.Begin(lattice, nodata);
            imported.lattice.emplace(lattice);
            if (const std::string* text = tamsel::CParamReader::Find(lattice.GetParams(), "LatticeInfo")) {
                imported.info = *text;
            }
            return true;
        },
        [&](orvo::TrLatticeScan& scan) {
            stats.Add(scan);
            return true;
        });
}

// After an import that read the header, a second quiet read that failed
// means the files changed or their storage failed: say so rather than print less.
Exit HeaderLost(const std::string& path)
{
    Complain("the header of " + path + " was read by the import but could not be read again");
    return ExitError;
}

std::optional<double> NodataOf(const std::optional<HeaderFacts>& facts)
{
    return facts ? facts->description.nodata : std::nullopt;
}

// Appends the shortest text that reads back as `value`; integers have no point.
template <class T>
void AppendNumber(std::string& text, T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

std::string Number(double value)
{
    std::string text;
    AppendNumber(text, value);
    return text;
}

// A JSON number, or null for what JSON cannot hold (NaN, infinities).
std::string JsonNumber(double value)
{
    return std::isfinite(value) ? Number(value) : "null";
}

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

struct Missing {
    std::uint64_t nodata = 0;
    std::uint64_t nan = 0;
};

std::string Nodes(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " node" : " nodes");
}

Missing CountMissing(const BandStatistics& stats)
{
    Missing missing;
    for (const BandStatistics::Band& band : stats.Bands()) {
        missing.nodata += band.nodata;
        missing.nan += band.nan;
    }
    return missing;
}

void PrintInfoText(int probe, const HeaderFacts& facts, const Imported& imported, const BandStatistics& stats,
                   std::ostream& out)
{
    out << "probe: " << probe << " (" << ProbeMeaning(probe) << ")\n";
    out << PlainText(imported.info);
    const fennick::BndDescription& d = facts.description;
    out << "Layout:\t" << fennick::LayoutName(d.layoutCode) << "\nBands:\t" << imported.lattice->components
        << "\nBits:\t" << d.header.nbits << ", byte order " << (d.swapBytes ? "M (most" : "I (least")
        << " significant byte first)\nElement type:\t" << ElementTypeName(imported.lattice->elementType) << '\n';
    if (facts.dataSize) {
        out << "Data size:\t" << *facts.dataSize << " bytes (the header describes " << facts.expectedSize << ")\n";
    }
    const Missing missing = CountMissing(stats);
    if (d.nodata) {
        out << "Nodata:\t" << Number(*d.nodata) << ", held by " << Nodes(missing.nodata)
            << " (left out of the statistics)\n";
    }
    if (missing.nan > 0) {
        out << "NaN:\t" << Nodes(missing.nan) << " (left out of the statistics)\n";
    }
    out << "band  minimum          maximum          mean\n";
    std::string line;
    for (std::size_t band = 0; band < stats.Bands().size(); ++band) {
        const BandStatistics::Band& b = stats.Bands()[band];
        if (b.count == 0) {
            tamsel::FormatString(line, "%-5zu %-16s %-16s %s\n", band, "-", "-", "-");
        } else {
            tamsel::FormatString(line, "%-5zu %-16.10g %-16.10g %.10g\n", band, b.minimum, b.maximum, b.Mean());
        }
        out << line;
    }
}

void PrintInfoJson(const std::string& path, int probe, const HeaderFacts& facts, const Imported& imported,
                   const BandStatistics& stats, std::ostream& out)
{
    out << "{\n  \"file\": " << JsonString(path) << ",\n  \"probe\": " << probe
        << ",\n  \"rows\": " << imported.lattice->rows << ",\n  \"columns\": " << imported.lattice->columns
        << ",\n  \"bands\": " << imported.lattice->components
        << ",\n  \"elementType\": " << JsonString(ElementTypeName(imported.lattice->elementType))
        << ",\n  \"xMin\": " << JsonNumber(imported.lattice->xMin)
        << ",\n  \"yMin\": " << JsonNumber(imported.lattice->yMin)
        << ",\n  \"dx\": " << JsonNumber(imported.lattice->dx) << ",\n  \"dy\": " << JsonNumber(imported.lattice->dy)
        << ",\n";
    const fennick::BndDescription& d = facts.description;
    out << "  \"layout\": " << JsonString(fennick::LayoutName(d.layoutCode)) << ",\n  \"nbits\": " << d.header.nbits
        << ",\n  \"byteorder\": \"" << (d.swapBytes ? 'M' : 'I')
        << "\",\n  \"dataSize\": " << (facts.dataSize ? std::to_string(*facts.dataSize) : "null")
        << ",\n  \"expectedSize\": " << facts.expectedSize
        << ",\n  \"nodata\": " << (d.nodata ? JsonNumber(*d.nodata) : "null") << ",\n";
    out << "  \"statistics\": [";
    for (std::size_t band = 0; band < stats.Bands().size(); ++band) {
        const BandStatistics::Band& b = stats.Bands()[band];
        const bool any = b.count > 0;
        out << (band == 0 ? "\n" : ",\n") << "    {\"band\": " << band << ", \"count\": " << b.count
            << ", \"nodata\": " << b.nodata << ", \"nan\": " << b.nan
            << ", \"minimum\": " << (any ? JsonNumber(b.minimum) : "null")
            << ", \"maximum\": " << (any ? JsonNumber(b.maximum) : "null")
            << ", \"mean\": " << (any ? JsonNumber(b.Mean()) : "null") << "}";
    }
    out << "\n  ]\n}\n";
}

// Where xyz lines go: standard output, or a file whose writes are checked.
class TextSink {
public:
    TextSink(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {}

    void Write(const std::string& text)
    {
        if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
            Fail();
        }
    }
    // Flushes, and closes a file that is not standard output.
    void Finish()
    {
        if (std::fflush(file_) != 0 || (file_ != stdout && std::fclose(std::exchange(file_, nullptr)) != 0)) {
            Fail();
        }
    }
    ~TextSink()
    {
        if (file_ != nullptr && file_ != stdout) {
            std::fclose(file_);
        }
    }
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

private:
    [[noreturn]] void Fail() const { throw std::runtime_error("cannot write " + name_ + ": " + std::strerror(errno)); }

    std::FILE* file_;
    std::string name_;
};

} // namespace

Exit RunInfo(Session& session, const std::string& path, bool json, std::ostream& out)
{
    const int probe = session.Probe(path);
    const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
    BandStatistics stats;
    Imported imported;
    const Exit result = Gather(session, path, NodataOf(facts), stats, imported);
    if (result != ExitDone) {
        return result;
    }
    if (probe == 0) {
        // The probe never raises: it fails quietly when it cannot read.
        Complain("the probe of " + path + " could not read it, but the import could: its storage may be failing");
        return ExitError;
    }
    if (!facts) {
        return HeaderLost(path);
    }
    if (json) {
        PrintInfoJson(path, probe, *facts, imported, stats, out);
    } else {
        PrintInfoText(probe, *facts, imported, stats, out);
    }
    return ExitDone;
}

Exit RunConvert(Session& session, const std::string& in, const std::string& out)
{
    return session.Convert(in, out);
}

Exit RunXyz(Session& session, const std::string& path, const std::string& out)
{
    std::optional<StagedOutput> staged;
    std::FILE* file = stdout;
    if (!out.empty()) {
        if (const std::string overlap = OverwriteRefusal(path, out, false); !overlap.empty()) {
            Complain(overlap);
            return ExitError;
        }
        staged.emplace(out, StagedOutput::Files::DataOnly);
        file = std::fopen(staged->DataPath().c_str(), "wb");
        if (file == nullptr) {
            throw std::runtime_error("cannot write " + out + ": " + std::strerror(errno));
        }
    }
    TextSink sink(file, out.empty() ? "the standard output" : out);
    // The top row lies at the header's ulymap (else where the lattice puts it);
    // rows go south by dy.
    const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
    int row = 0;
    double top = 0.0;
    Imported imported;
    std::string text;
    const Exit result = session.Import(
        path,
        [&](orvo::TrUniformLattice& lattice) {
            imported.lattice.emplace(lattice);
            top = facts ? facts->description.header.ulymap : lattice.yMin + (lattice.rows - 1) * lattice.dy;
            return true;
        },
        [&](orvo::TrLatticeScan& scan) {
            const double y = top - row * imported.lattice->dy;
            const auto bands = static_cast<std::size_t>(imported.lattice->components);
            text.clear();
            tamsel::VisitPrimType(imported.lattice->elementType, [&](auto zero) {
                using T = decltype(zero);
                const unsigned char* cell = scan.rowBuffer;
                for (int column = 0; column < imported.lattice->columns; ++column) {
                    AppendNumber(text, imported.lattice->xMin + column * imported.lattice->dx);
                    text += ' ';
                    AppendNumber(text, y);
                    for (std::size_t band = 0; band < bands; ++band, cell += sizeof(T)) {
                        T value;
                        std::memcpy(&value, cell, sizeof(T));
                        text += ' ';
                        AppendNumber(text, value);
                    }
                    text += '\n';
                }
            });
            sink.Write(text);
            ++row;
            return true;
        });
    if (result != ExitDone) {
        return result; // a staged output is removed; an existing OUT stays as it was
    }
    sink.Finish();
    if (staged) {
        staged->Commit();
    }
    return ExitDone;
}

// Two passes: the first finds the band's range, the second scales each row
// into the image, so memory holds only the 8-bit image. Nodata and NaN nodes are black.
Exit RunPreview(Session& session, const std::string& path, const std::string& png, int band, std::ostream& out)
{
    const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
    BandStatistics stats;
    Imported imported;
    if (const Exit result = Gather(session, path, NodataOf(facts), stats, imported); result != ExitDone) {
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
                    const long level = stats.IsMissing(value) ? 0 : std::lround((value - low) * scale);
                    pixels.push_back(static_cast<unsigned char>(std::clamp(level, 0L, 255L)));
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
