// What bndhost's commands take from an import: the facts the module puts
// beside the lattice, the lattice with each band's statistics, and numbers
// written as text.
#pragma once

#include <charconv>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "BandStatistics.h"
#include "Commands.h"
#include "orvo/Transferable.h"

namespace bndhost {

class Session;

// The element type's name in reports: "int8", "uint16", "float32", ...
const char* ElementTypeName(int type);

// What the import put under `key` in the lattice's parameters; empty when
// absent (another module may say less).
std::optional<std::string> Fact(const orvo::TrUniformLattice& lattice, const char* key);

// The nodata value the import names.
Nodata NodataOf(const orvo::TrUniformLattice& lattice);

// Takes an import's lattice, for a command that needs only its rows.
bool AnyLattice(orvo::TrUniformLattice& lattice);

// An import's lattice and each band's statistics without its nodata value.
struct Imported {
    std::optional<orvo::TrUniformLattice> lattice;
    BandStatistics stats;
};

// Imports `path` into `imported`.
Exit Gather(Session& session, const std::filesystem::path& path, Imported& imported);

// Throws with `name` and the system's reason unless `stream` holds all that was written.
void CheckWritten(std::ostream& stream, const std::string& name);

// The shortest text that reads back as `value`; integers have no point.
template <class T>
void AppendNumber(std::string& text, T value)
{
    char buffer[64];
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// A coordinate: the shortest text that reads back as `value`, in plain
// decimal notation (500000, not 5e+05).
void AppendCoordinate(std::string& text, double value);

} // namespace bndhost
