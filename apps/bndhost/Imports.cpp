#include "Imports.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string_view>

#include "Session.h"
#include "fennick/Facts.h"
#include "hostside/ParamReader.h"

namespace bndhost {

namespace facts = fennick::facts;
namespace fs = std::filesystem;

const char* ElementTypeName(int type)
{
    const fennick::ElementType* entry = fennick::ElementTypeOf(type);
    return entry != nullptr ? entry->name : "unknown";
}

std::optional<std::string> Fact(const orvo::TrUniformLattice& lattice, const char* key)
{
    const std::string* value = tamsel::CParamReader::Find(lattice.GetParams(), key);
    return value != nullptr ? std::optional(*value) : std::nullopt;
}

Nodata NodataOf(const orvo::TrUniformLattice& lattice)
{
    return Nodata::Of(Fact(lattice, facts::kNodata));
}

bool AnyLattice(orvo::TrUniformLattice& /*lattice*/)
{
    return true;
}

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

void CheckWritten(std::ostream& stream, const std::string& name)
{
    if (!stream) {
        throw std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
    }
}

void AppendCoordinate(std::string& text, double value)
{
    char buffer[400]; // the longest double in fixed notation fits
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr);
}

} // namespace bndhost
