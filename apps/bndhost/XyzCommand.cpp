// bndhost xyz: every node of a raster as a line of text.
#include <fstream>
#include <iostream>
#include <optional>

#include "Commands.h"
#include "Imports.h"
#include "Outputs.h"
#include "Session.h"
#include "files/Platform.h"
#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"

namespace bndhost {

namespace fs = std::filesystem;
using fennick::platform::TextOf;

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

} // namespace bndhost
