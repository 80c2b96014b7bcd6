#include "Commands.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "BandStatistics.h"
#include "HeaderFacts.h"
#include "Outputs.h"
#include "PngWriter.h"
#include "Session.h"
#include "System.h"
#include "hostside/ParamReader.h"
#include "support/Platform.h"
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

orvo::TrUniformLattice* AsLattice(orvo::TrBase& object)
{
    return object.GetTypeId() == orvo::TrUniformLattice::GetClassTypeId()
               ? &static_cast<orvo::TrUniformLattice&>(object)
               : nullptr;
}

// What an import handed over besides the rows: a copy of the lattice and its summary.
struct Imported {
    std::optional<orvo::TrUniformLattice> lattice;
    std::string info;
};

// Imports `path`, keeping the lattice and each band's statistics without `nodata`.
Exit Gather(Session& session, const std::string& path, std::optional<double> nodata, BandStatistics& stats,
            Imported& imported)
{
    return session.Import(path, [&](orvo::TrBase& object) {
        if (orvo::TrUniformLattice* lattice = AsLattice(object)) {
            stats.Begin(*lattice, nodata);
            imported.lattice.emplace(*lattice);
            if (const std::string* text = tamsel::CParamReader::Find(lattice->GetParams(), "LatticeInfo")) {
                imported.info = *text;
            }
        } else {
            stats.Add(static_cast<orvo::TrLatticeScan&>(object));
        }
        return true;
    });
}

// A raster is a file the module probes as one.
TextOutput::IsRaster IsRasterOf(Session& session)
{
    return [&session](const std::string& path) { return session.Probe(path) != 0; };
}

std::optional<double> NodataOf(const std::optional<HeaderFacts>& facts)
{
    return facts ? facts->description.nodata : std::nullopt;
}

// The shortest text that reads back as `value`; integers have no point.
template <class T>
void AppendNumber(std::string& text, T value)
{
    char buffer[64];
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// A coordinate: the shortest text that reads back as `value`, in plain
// decimal notation (500000, not 5e+05).
void AppendCoordinate(std::string& text, double value)
{
    char buffer[400]; // the longest double in fixed notation fits
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr);
}

std::string Number(double value)
{
    std::string text;
    AppendNumber(text, value);
    return text;
}

// A JSON number, or null for what JSON cannot hold (NaN, infinities).
std::string JsonNumber(double value, bool coordinate = false)
{
    std::string text;
    if (!std::isfinite(value)) {
        return "null";
    }
    coordinate ? AppendCoordinate(text, value) : AppendNumber(text, value);
    return text;
}

// The length of the UTF-8 sequence at `text`, or 0 when it is not a valid one.
std::size_t Utf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // No overlong three- or four-byte forms, no surrogates, nothing past U+10FFFF.
    const bool refused = (lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
                         (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90);
    return refused ? 0 : length;
}

// A JSON string: quotes, backslashes and control characters escaped, and
// each byte that is not part of valid UTF-8 (a file name's may not be) as U+FFFD.
std::string JsonString(std::string_view text)
{
    std::string quoted = "\"";
    while (!text.empty()) {
        const std::size_t length = Utf8Length(text);
        const char c = text[0];
        if (length == 0) {
            quoted += "\\ufffd";
        } else if (c == '"' || c == '\\') {
            quoted += {'\\', c};
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += text.substr(0, length);
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return quoted + '"';
}

std::string Nodes(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " node" : " nodes");
}

void PrintInfoText(int probe, const HeaderFacts& facts, const Imported& imported, const BandStatistics& stats,
                   std::ostream& out)
{
    out << "probe: " << probe << " (" << ProbeMeaning(probe) << ")\n" << PlainText(imported.info);
    const fennick::BndDescription& d = facts.description;
    out << "Layout:\t" << fennick::LayoutName(d.layoutCode) << "\nBands:\t" << imported.lattice->components
        << "\nBits:\t" << d.header.nbits << ", byte order " << (d.swapBytes ? "M (most" : "I (least")
        << " significant byte first)\nElement type:\t" << ElementTypeName(imported.lattice->elementType) << '\n';
    if (facts.dataSize) {
        out << "Data size:\t" << *facts.dataSize << " bytes (the header describes " << facts.expectedSize << ")\n";
    }
    std::uint64_t nodata = 0;
    std::uint64_t nan = 0;
    for (const BandStatistics::Band& band : stats.Bands()) {
        nodata += band.nodata;
        nan += band.nan;
    }
    if (d.nodata) {
        out << "Nodata:\t" << Number(*d.nodata) << ", held by " << Nodes(nodata) << " (left out of the statistics)\n";
    }
    if (nan > 0) {
        out << "NaN:\t" << Nodes(nan) << " (left out of the statistics)\n";
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
    const orvo::TrUniformLattice& lattice = *imported.lattice;
    const fennick::BndDescription& d = facts.description;
    out << "{\n  \"file\": " << JsonString(path) << ",\n  \"probe\": " << probe << ",\n  \"rows\": " << lattice.rows
        << ",\n  \"columns\": " << lattice.columns << ",\n  \"bands\": " << lattice.components
        << ",\n  \"elementType\": " << JsonString(ElementTypeName(lattice.elementType))
        << ",\n  \"xMin\": " << JsonNumber(lattice.xMin, true) << ",\n  \"yMin\": " << JsonNumber(lattice.yMin, true)
        << ",\n  \"dx\": " << JsonNumber(lattice.dx, true) << ",\n  \"dy\": " << JsonNumber(lattice.dy, true)
        << ",\n  \"layout\": " << JsonString(fennick::LayoutName(d.layoutCode)) << ",\n  \"nbits\": " << d.header.nbits
        << ",\n  \"byteorder\": \"" << (d.swapBytes ? 'M' : 'I')
        << "\",\n  \"dataSize\": " << (facts.dataSize ? std::to_string(*facts.dataSize) : "null")
        << ",\n  \"expectedSize\": " << facts.expectedSize
        << ",\n  \"nodata\": " << (d.nodata ? JsonNumber(*d.nodata) : "null") << ",\n  \"statistics\": [";
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

// Writes to `stream` or throws with `name` and the system's reason.
void Put(std::ostream& stream, const std::string& text, const std::string& name)
{
    if (!stream.write(text.data(), static_cast<std::streamsize>(text.size()))) {
        throw std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
    }
}

// Every node of `path` as a line "x y v0 [v1 ...]", top row first, west to
// east; to standard output for no OUT or "-", else to OUT.
Exit RunXyz(Session& session, const std::string& path, const std::string& out)
{
    const bool toStandardOutput = out.empty() || out == "-";
    std::optional<TextOutput> output;
    std::ofstream file;
    if (!toStandardOutput) {
        output.emplace(path, out, IsRasterOf(session));
        file.open(sys::PathOf(output->Path()), std::ios::binary | std::ios::trunc);
        if (!file) {
            throw std::runtime_error("cannot write " + out + ": " + std::strerror(errno));
        }
    }
    std::ostream& stream = toStandardOutput ? std::cout : file;
    const std::string name = toStandardOutput ? "the standard output" : out;
    // The first column lies at the lattice's xMin (the header's ulxmap) and
    // the top row at the header's ulymap (else where the lattice puts it).
    const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
    std::optional<orvo::TrUniformLattice> lattice;
    double top = 0.0;
    int row = 0;
    std::string text;
    const Exit result = session.Import(path, [&](orvo::TrBase& object) {
        if (orvo::TrUniformLattice* received = AsLattice(object)) {
            lattice.emplace(*received);
            top = facts ? facts->description.header.ulymap : lattice->yMin + (lattice->rows - 1) * lattice->dy;
            return true;
        }
        const double y = top - row * lattice->dy;
        text.clear();
        ForEachValue(static_cast<orvo::TrLatticeScan&>(object), [&](std::size_t column, std::size_t band, auto value) {
            if (band == 0) {
                text += column == 0 ? "" : "\n";
                AppendCoordinate(text, lattice->xMin + static_cast<double>(column) * lattice->dx);
                text += ' ';
                AppendCoordinate(text, y);
            }
            text += ' ';
            AppendNumber(text, value);
        });
        text += '\n';
        Put(stream, text, name);
        ++row;
        return true;
    });
    if (result != ExitDone) {
        return result; // an unfinished OUT is removed; an existing one stays as it was
    }
    if (!stream.flush() || (file.is_open() && (file.close(), !file))) {
        throw std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
    }
    if (output) {
        output->Commit();
    }
    return ExitDone;
}

} // namespace

Exit RunInfo(Session& session, const std::string& path, bool json, std::ostream& out)
{
    const int probe = session.Probe(path);
    const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
    BandStatistics stats;
    Imported imported;
    if (const Exit result = Gather(session, path, NodataOf(facts), stats, imported); result != ExitDone) {
        return result;
    }
    // The probe and the second header read fail only quietly: after an import
    // that read the file, the files changed or their storage is failing.
    if (probe == 0 || !facts) {
        throw std::runtime_error("the import of " + path +
                                 " read it, but a second read could not: its files "
                                 "changed or their storage is failing");
    }
    json ? PrintInfoJson(path, probe, *facts, imported, stats, out)
         : PrintInfoText(probe, *facts, imported, stats, out);
    return ExitDone;
}

Exit RunConvert(Session& session, const std::string& in, const std::string& out)
{
    RefuseRasterOutput(in, out);
    const std::string extension = sys::TextOf(sys::PathOf(out).extension());
    if (extension.empty() || extension == ".") {
        return NotDone("refused: " + out + " has no extension (.bil, .bip or .bsq chooses the layout)");
    }
    if (fennick::platform::EqualsIgnoreCase(extension.c_str(), ".hdr")) {
        return NotDone("refused: " + out + " ends in .hdr, so its header would overwrite it");
    }
    // The module stages the raster and replaces the previous one whole, or
    // leaves it as it was, when the export ends or is given up.
    const sys::ModuleAtWork working;
    const std::unique_ptr<orvo::IoExportFilter> exporter = session.NewExporter();
    if (exporter->BeginExport(out.c_str(), false) != orvo::ExportStatus::Done) {
        return NotDone("refused: the module would not export to " + out);
    }
    // What the export changes in a floating-point lattice (imports give no
    // other that it changes): its fractions, and, counted as the rows go by,
    // values beyond the signed 32-bit range (which saturate) and NaN (written as 0).
    bool fractional = false;
    std::uint64_t saturated = 0;
    std::uint64_t nan = 0;
    const Exit imported = session.Import(in, [&](orvo::TrBase& object) {
        if (const orvo::TrUniformLattice* lattice = AsLattice(object)) {
            fractional = lattice->elementType == tamsel::CPrimType::Float32 ||
                         lattice->elementType == tamsel::CPrimType::Float64;
        } else if (fractional) {
            ForEachValue(static_cast<const orvo::TrLatticeScan&>(object), [&](std::size_t, std::size_t, auto value) {
                const auto number = static_cast<double>(value);
                nan += std::isnan(number) ? 1 : 0;
                saturated += number >= 0x1p31 || number < -0x1p31 ? 1 : 0;
            });
        }
        return exporter->ExportObject(object) == orvo::ExportStatus::Done;
    });
    if (imported != ExitDone) {
        return imported; // the module gives up its files; a previous output stays as it was
    }
    if (HostManager::StopRequested()) {
        return Interrupted();
    }
    if (exporter->EndExport() != orvo::ExportStatus::Done) {
        return NotDone("refused: nothing was exported to " + out);
    }
    if (fractional) {
        const auto count = [](std::uint64_t n, const std::string& what) {
            return std::to_string(n) + " " + what + (n == 1 ? " is" : "s are");
        };
        std::string said = "fractions are dropped";
        said += saturated > 0 ? "; " + count(saturated, "value") + " beyond the signed 32-bit range, saturated" : "";
        said += nan > 0 ? "; " + count(nan, "NaN value") + " written as 0" : "";
        Complain("note: " + in + " holds floating-point values; " + out + " holds them as whole numbers (" + said +
                 ")");
    }
    return ExitDone;
}

// Two passes: the first finds the band's range, the second scales each row
// into the image, so memory holds only the 8-bit image. Nodata and NaN nodes are black.
Exit RunPreview(Session& session, const std::string& path, const std::string& png, int band, std::ostream& out)
{
    TextOutput output(path, png, IsRasterOf(session));
    const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
    BandStatistics stats;
    Imported imported;
    if (const Exit result = Gather(session, path, NodataOf(facts), stats, imported); result != ExitDone) {
        return result;
    }
    if (band < 0 || static_cast<std::size_t>(band) >= stats.Bands().size()) {
        throw std::runtime_error(path + " has no band " + std::to_string(band) + " (it has " +
                                 std::to_string(stats.Bands().size()) + ", counted from 0)");
    }
    const double low = stats.Bands()[static_cast<std::size_t>(band)].minimum;
    const double high = stats.Bands()[static_cast<std::size_t>(band)].maximum;
    const double scale = high > low ? 255.0 / (high - low) : 0.0;
    const int width = imported.lattice->columns;
    const int height = imported.lattice->rows;
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const Exit result = session.Import(path, [&](orvo::TrBase& object) {
        if (AsLattice(object) == nullptr) {
            ForEachValue(static_cast<orvo::TrLatticeScan&>(object), [&](std::size_t, std::size_t b, auto value) {
                if (b == static_cast<std::size_t>(band)) {
                    const auto number = static_cast<double>(value);
                    const long level = stats.IsMissing(number) ? 0 : std::lround((number - low) * scale);
                    pixels.push_back(static_cast<unsigned char>(std::clamp(level, 0L, 255L)));
                }
            });
        }
        return true;
    });
    if (result != ExitDone) {
        return result;
    }
    WriteGrayPng(output.Path(), width, height, pixels);
    output.Commit();
    out << "wrote " << png << " (" << width << " x " << height << ", band " << band << ", " << low << " to " << high
        << ")\n";
    return ExitDone;
}

namespace {

constexpr Command kCommands[] = {
    {"info", 1, 1, "info FILE [--json]", "info takes one FILE",
     [](Session& session, const std::vector<std::string>& operands, const Flags& flags) {
         return RunInfo(session, operands[0], flags.json, std::cout);
     }},
    {"convert", 2, 2, "convert IN OUT", "convert takes IN and OUT",
     [](Session& session, const std::vector<std::string>& operands, const Flags& /*flags*/) {
         return RunConvert(session, operands[0], operands[1]);
     }},
    {"xyz", 1, 2, "xyz FILE [OUT]", "xyz takes FILE and at most one OUT",
     [](Session& session, const std::vector<std::string>& operands, const Flags& /*flags*/) {
         return RunXyz(session, operands[0], operands.size() > 1 ? operands[1] : std::string());
     }},
    {"preview", 2, 2, "preview FILE OUT.png [--band N]", "preview takes FILE and OUT.png",
     [](Session& session, const std::vector<std::string>& operands, const Flags& flags) {
         return RunPreview(session, operands[0], operands[1], flags.band, std::cout);
     }},
    {"demo", 0, 1, "demo [DIR]", "demo takes at most one DIR",
     [](Session& session, const std::vector<std::string>& operands, const Flags& /*flags*/) {
         return RunDemo(session, operands.empty() ? std::string() : operands[0], std::cout);
     }},
};

} // namespace

std::span<const Command> CommandTable()
{
    return kCommands;
}

const char* const kHelp = R"(Usage: bndhost [--plugin PATH] [--yes | --no] [--quiet] COMMAND ...

Drives the fennick banded-raster filter module as a host application does.

Commands:
  info FILE [--json]        probe and import FILE; print the probe result, the
                            lattice summary, layout, bits, byte order, element
                            type, bands, data size against the expected size and
                            each band's minimum, maximum, mean (nodata values
                            left out); --json prints them as one JSON object
  convert IN OUT            import IN and export it to OUT; OUT's extension
                            picks the layout (.bip, .bsq, anything else BIL)
  xyz FILE [OUT]            every node of FILE as a line 'x y v0 [v1 ...]', top
                            row first, west to east, to OUT, or to standard
                            output when OUT is absent or '-'
  preview FILE OUT.png [--band N]
                            a grayscale PNG of band N (default 0), scaled from
                            the band's minimum to its maximum
  demo [DIR]                write a sample raster into DIR (a new or empty
                            folder; default: a new one under the temporary
                            folder), convert it to BIL, BIP and BSQ, import each
                            back and check every value

Options:
  --plugin PATH   the filter module (default: $FENNICK_PLUGIN, else fennick.so
                  beside bndhost, else the installed one)
  --yes, --no     the answer to the module's questions when there is no
                  terminal to ask (without either, the answer is no)
  --quiet         no progress display
  -h, --help      this text
  --version       bndhost's version

Outputs: convert replaces OUT and its header whole or not at all: the module
writes them under hidden temporary names and moves them into place when the
export completes, and refuses a header that is another tool's or that also
describes another data file of OUT's name. xyz and preview write OUT the same
way. The files keep the permission bits of those they replace, so an existing
OUT stays as it was on any error or interruption. All three refuse (status 1)
an OUT that is IN or one of IN's files, whatever its case, and an existing OUT
the user may not write; xyz and preview an OUT that would be the header,
world or statistics file of another raster; convert an OUT beside which a
world (.blw) or statistics (.stx) file would override the new header. A FIFO
or device as xyz or preview OUT is written directly.

convert notes on stderr when IN holds floating-point values, whose fractions
the export drops, and counts the values it saturates to the signed 32-bit
range and the NaN it writes as 0.

Exit status: 0 done; 1 error (its message is one line on stderr, including a
data file shorter than its header says, and a failed write to standard
output); 2 stopped, declined, refused or not importable; 64 usage error; 130
interrupted (Ctrl-C); 141 standard output closed (a pipe whose reader ended);
128 + N ended by signal N (TERM, HUP, QUIT).
)";

} // namespace bndhost
