// One bndhost run: the loaded module, the host manager, and the operations
// the commands are made of.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "HostManager.h"
#include "ModuleLoader.h"
#include "orvo/Transferable.h"

namespace bndhost {

// Exit statuses of bndhost.
enum Exit : int {
    ExitDone = 0,
    ExitError = 1,   // an error; its message is on stderr
    ExitNotDone = 2, // stopped, declined, refused or not importable; a line says which
    ExitUsage = 64,
    ExitInterrupted = 130, // Ctrl-C

};

// The refusal when writing `out` (and, with `withHeader`, its header) would
// overwrite `in` or one of the files read with it; empty when it would not.
std::string OverwriteRefusal(const std::string& in, const std::string& out, bool withHeader);

class Session {
public:
    Session(const std::string& modulePath, HostManager::Answer answer, bool quiet);

    using LatticeSink = std::function<bool(orvo::TrUniformLattice&)>;
    using RowSink = std::function<bool(orvo::TrLatticeScan&)>;

    // The module's probe of `path`: 0, 1 or 2.
    int Probe(const std::string& path);

    // Imports `path`, handing the lattice and then each row to the sinks (false
    // refuses). Returns ExitDone, or another status after printing why.
    Exit Import(const std::string& path, const LatticeSink& onLattice, const RowSink& onRow);

    // Imports `in` and exports it to `out` row by row, holding one row at a
    // time (BSQ output a bounded window of band rows). An
    // output that is the input or one of its files is refused; the new pair
    // replaces an existing one only when it is complete.
    Exit Convert(const std::string& in, const std::string& out);

    [[nodiscard]] HostManager& Manager() { return manager_; }

private:
    std::unique_ptr<orvo::IoImportFilter> NewImporter();

    ModuleLoader module_;
    HostManager manager_;
};

} // namespace bndhost
