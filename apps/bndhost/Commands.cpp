#include "Commands.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include "BandStatistics.h"
#include "Outputs.h"
#include "PngWriter.h"
#include "Session.h"
#include "System.h"
#include "fennick/Facts.h"
#include "files/Platform.h"
#include "hostside/ParamReader.h"
#include "tamsel/Format.h"

namespace bndhost {

namespace fs = std::filesystem;
namespace facts = fennick::facts;
using fennick::platform::TextOf;

namespace {

// The element type's name in reports: "int8", "uint16", "float32", ...
const char* ElementTypeName(int type)
{
    const fennick::ElementType* entry = fennick::ElementTypeOf(type);
    return entry != nullptr ? entry->name : "unknown";
}

// What the import put under `key` in the lattice's parameters; empty when
// absent (another module may say less).
std::optional<std::string> Fact(const orvo::TrUniformLattice& lattice, const char* key)
{
    const std::string* value = tamsel::CParamReader::Find(lattice.GetParams(), key);
    return value != nullptr ? std::optional(*value) : std::nullopt;
}

// The nodata value the import names, as a number.
std::optional<double> NodataOf(const orvo::TrUniformLattice& lattice)
{
    const std::optional<std::string> text = Fact(lattice, facts::kNodata);
    if (!text) {
        return std::nullopt;
    }
    const std::string_view number = text->starts_with('+') ? std::string_view(*text).substr(1) : *text;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    return error == std::errc() ? std::optional(value) : std::nullopt;
}

// What writing values as signed 32-bit whole numbers changes: a fraction
// is dropped (the value truncates toward zero), a value whose whole part
// lies beyond the range saturates, and NaN is written as 0.
struct ValueChanges {
    std::uint64_t fractions = 0;
    std::uint64_t saturated = 0;
    std::uint64_t nan = 0;

    template <class T>
    void Count(T value)
    {
        if constexpr (std::is_floating_point_v<T>) {
            // -2^31 and 2^31 are exact in either width, unlike INT32_MAX.
            const T whole = std::trunc(value);
            nan += std::isnan(value) ? 1 : 0;
            fractions += std::isfinite(value) && whole != value ? 1 : 0;
            saturated += whole < static_cast<T>(-0x1p31) || whole >= static_cast<T>(0x1p31) ? 1 : 0;
        } else {
            saturated +=
                value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max();
        }
    }

    // "2 values lose their fractions; ..."; empty when nothing changes.
    [[nodiscard]] std::string Said() const
    {
        std::string said;
        const auto add = [&](std::uint64_t n, const char* one, const char* many) {
            if (n > 0) {
                said += (said.empty() ? "" : "; ") + std::to_string(n) + (n == 1 ? one : many);
            }
        };
        add(fractions, " value loses its fraction", " values lose their fractions");
        add(saturated, " value beyond the signed 32-bit range saturates",
            " values beyond the signed 32-bit range saturate");
        add(nan, " NaN value is written as 0", " NaN values are written as 0");
        return said;
    }
};

// Takes an import's lattice, for a command that needs only its rows.
bool AnyLattice(orvo::TrUniformLattice& /*lattice*/)
{
    return true;
}

// An import's lattice and each band's statistics without its nodata value.
struct Imported {
    std::optional<orvo::TrUniformLattice> lattice;
    BandStatistics stats;
};

Exit Gather(Session& session, const fs::path& path, Imported& imported)
{
    return session.Import(
        path,
        [&](orvo::TrUniformLattice& lattice) {
            imported.lattice.emplace(lattice);
            imported.stats.Begin(lattice, NodataOf(lattice));
            return true;
        },
        [&](orvo::TrLatticeScan& scan) {
            imported.stats.Add(scan);
            return true;
        });
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

// A JSON number, or null for what JSON cannot hold (NaN, infinities).
std::string JsonNumber(double value, bool coordinate = false)
{
    std::string text = std::isfinite(value) ? "" : "null";
    if (text.empty()) {
        coordinate ? AppendCoordinate(text, value) : AppendNumber(text, value);
    }
    return text;
}

// A JSON string: quotes, backslashes and control characters escaped, and
// each byte that is not part of valid UTF-8 (a file name's may not be) as U+FFFD.
std::string JsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (std::size_t at = 0, length = 1; at < text.size(); at += std::max<std::size_t>(length, 1)) {
        const auto byte = [&](std::size_t i) {
            return static_cast<unsigned char>(at + i < text.size() ? text[at + i] : 0);
        };
        const unsigned char lead = byte(0);
        length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
        for (std::size_t i = 1; i < length; ++i) {
            length = (byte(i) & 0xC0) == 0x80 ? length : 0;
        }
        // No overlong three- or four-byte forms, no surrogates, nothing past U+10FFFF.
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) || (lead == 0xF0 && byte(1) < 0x90) ||
            (lead == 0xF4 && byte(1) >= 0x90)) {
            length = 0;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", length == 0 ? 0xFFFDU : lead);
        quoted += length == 0 || lead < 0x20    ? std::string_view(escape)
                  : lead == '"' || lead == '\\' ? std::string_view(lead == '"' ? "\\\"" : "\\\\")
                                                : text.substr(at, length);
    }
    return quoted + '"';
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
    if (NodataOf(lattice)) { // as the header writes it
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
            tamsel::FormatString(line, "%-5zu %-16.10g %-16.10g %.10g\n", band, b.minimum, b.maximum, b.Mean());
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
    const std::optional<double> nodata = NodataOf(lattice);
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
        << ",\n  \"statisticsFile\": " << fact(facts::kStatisticsFile)
        << ",\n  \"nodata\": " << (nodata ? JsonNumber(*nodata) : "null") << ",\n  \"statistics\": [";
    for (std::size_t band = 0; band < imported.stats.Bands().size(); ++band) {
        const BandStatistics::Band& b = imported.stats.Bands()[band];
        const bool any = b.count > 0;
        out << (band == 0 ? "\n" : ",\n") << "    {\"band\": " << band << ", \"count\": " << b.count
            << ", \"nodata\": " << b.nodata << ", \"nan\": " << b.nan
            << ", \"minimum\": " << (any ? JsonNumber(b.minimum) : "null")
            << ", \"maximum\": " << (any ? JsonNumber(b.maximum) : "null")
            << ", \"mean\": " << (any ? JsonNumber(b.Mean()) : "null") << "}";
    }
    out << "\n  ]\n}\n";
}

// Throws with `name` and the system's reason unless `stream` holds all that was written.
void CheckWritten(std::ostream& stream, const std::string& name)
{
    if (!stream) {
        throw std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
    }
}

// Every node of `path` as a line "x y v0 [v1 ...]", top row first, west to
// east; to standard output for no OUT or "-", else to OUT.
Exit RunXyz(Session& session, const fs::path& path, const fs::path& out)
{
    const bool toStandardOutput = out.empty() || out == "-";
    std::optional<TextOutput> output;
    std::ofstream file;
    if (!toStandardOutput) {
        output.emplace(path, out, session);
        file.open(output->Path(), std::ios::binary | std::ios::trunc);
        CheckWritten(file, TextOf(out));
    }
    std::ostream& stream = toStandardOutput ? std::cout : file;
    const std::string name = toStandardOutput ? "the standard output" : TextOf(out);
    int row = 0;
    std::string text;
    const Exit result = session.Import(path, AnyLattice, [&](orvo::TrLatticeScan& scan) {
        // Rows come top row first; the lattice's yMin is the bottom row's.
        const orvo::TrLattice& lattice = orvo::LatticeRows::LatticeOf(scan);
        const double y = lattice.yMin + static_cast<double>(lattice.rows - 1 - row) * lattice.dy;
        text.clear();
        ForEachValue(scan, [&](std::size_t column, std::size_t band, auto value) {
            if (band == 0) {
                text += column == 0 ? "" : "\n";
                AppendCoordinate(text, lattice.xMin + static_cast<double>(column) * lattice.dx);
                text += ' ';
                AppendCoordinate(text, y);
            }
            text += ' ';
            AppendNumber(text, value);
        });
        text += '\n';
        CheckWritten(stream.write(text.data(), static_cast<std::streamsize>(text.size())), name);
        ++row;
        return true;
    });
    if (result != ExitDone) {
        return result; // an unfinished OUT is removed; an existing one stays as it was
    }
    stream.flush();
    if (file.is_open()) {
        file.close();
    }
    CheckWritten(stream, name);
    if (output) {
        output->Commit();
    }
    return ExitDone;
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

Exit RunConvert(Session& session, const fs::path& in, const fs::path& out)
{
    RefuseInput(in, out);
    // The module stages the raster and replaces the previous one whole, or
    // leaves it as it was, when the export ends or is given up.
    const sys::ModuleAtWork working;
    const std::unique_ptr<orvo::IoExportFilter> exporter = session.NewExporter();
    const std::string name = TextOf(out);
    if (exporter->BeginExport(name.c_str(), false) != orvo::ExportStatus::Done) {
        return NotDone("refused: the module would not export to " + name +
                       " (it needs an extension other than .hdr: .bip or .bsq chooses that layout, any other BIL)");
    }
    // What the export's 32-bit whole numbers change of floating-point and
    // 64-bit values, counted from the values as the rows go by.
    ValueChanges changes;
    // Each object goes to the export when it says it takes its type, as a host relays.
    const auto relay = [&](orvo::TrBase& object) {
        return exporter->IsTypeSupported(object.GetTypeId()) &&
               exporter->ExportObject(object) == orvo::ExportStatus::Done;
    };
    const Exit imported = session.Import(in, relay, [&](orvo::TrLatticeScan& scan) {
        const fennick::ElementType* type = fennick::ElementTypeOf(orvo::LatticeRows::LatticeOf(scan).elementType);
        if (type != nullptr && (type->kind == fennick::SampleKind::Float || type->bytes > 4)) {
            ForEachValue(scan, [&](std::size_t, std::size_t, auto value) { changes.Count(value); });
        }
        return relay(scan);
    });
    if (imported != ExitDone) {
        return imported; // the module gives up its files; a previous output stays as it was
    }
    if (exporter->EndExport() != orvo::ExportStatus::Done) {
        return NotDone("refused: nothing was exported to " + name);
    }
    if (const std::string said = changes.Said(); !said.empty()) {
        Complain("note: " + name + " holds the values of " + TextOf(in) + " as 32-bit whole numbers: " + said);
    }
    return ExitDone;
}

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
                const long level = stats.IsMissing(number) ? 0 : std::lround((number - low) * scale);
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

namespace {

constexpr Command kCommands[] = {
    {"info", 1, 1, "info takes one FILE",
     [](Session& s, const Call& c) { return RunInfo(s, c.Operand(0), c.json, std::cout); }},
    {"convert", 2, 2, "convert takes IN and OUT",
     [](Session& s, const Call& c) { return RunConvert(s, c.Operand(0), c.Operand(1)); }},
    {"xyz", 1, 2, "xyz takes FILE and at most one OUT",
     [](Session& s, const Call& c) { return RunXyz(s, c.Operand(0), c.Operand(1)); }},
    {"preview", 2, 2, "preview takes FILE and OUT.png",
     [](Session& s, const Call& c) {
         return RunPreview(s, c.Operand(0), c.Operand(1), c.band.value_or(0), std::cout);
     }},
    {"demo", 0, 1, "demo takes at most one DIR",
     [](Session& s, const Call& c) { return RunDemo(s, c.Operand(0), std::cout); }},
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
                            lattice summary, what the module says of the files
                            it read (layout, bits, byte order, sizes, nodata)
                            and each band's minimum, maximum and mean without
                            nodata and NaN; --json prints one JSON object
  convert IN OUT            import IN and export it to OUT; OUT needs an
                            extension other than .hdr: .bip or .bsq chooses
                            that layout, any other BIL
  xyz FILE [OUT]            every node of FILE as a line 'x y v0 [v1 ...]', top
                            row first, to OUT or to standard output (no OUT, '-')
  preview FILE OUT.png [--band N]
                            a grayscale PNG of band N (default 0), scaled from
                            the band's minimum to its maximum
  demo [DIR]                write a sample raster into DIR (a new or empty
                            folder; without DIR a temporary one, removed at the
                            end), convert it to BIL, BIP and BSQ, import each
                            back and check every value

Options:
  --plugin PATH   the filter module (default: $FENNICK_PLUGIN, else fennick.so
                  beside bndhost, else the installed one)
  --yes, --no     the answer to the module's questions when there is no
                  terminal to ask (without either, the answer is no)
  --quiet         no progress display
  -h, --help      this text
  --version       bndhost's version

Outputs are replaced whole or not at all (an existing OUT stays as it was on
any error or interruption), with the permission bits of the files they
replace; a FIFO or device is written directly. Refused (status 1): an OUT
that is IN or that the user may not write; one that would write, write
through, replace, hide or unhide a file that another raster reads; for
convert, an OUT beside a world (.blw) or statistics (.stx) file, or whose
header is another tool's. convert notes on stderr what the export changes:
fractions, values it saturates to 32 bits, NaN written as 0.

Exit status: 0 done; 1 error (one line on stderr, also for a data file shorter
than its header says and a failed write to standard output); 2 stopped,
declined, refused or not importable; 64 usage error; 130 interrupted (Ctrl-C);
141 standard output closed (a pipe whose reader ended); 128 + N ended by
signal N (TERM, HUP, QUIT).
)";

} // namespace bndhost
