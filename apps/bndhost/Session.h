// The host session: the loaded module, the host manager, and the module's
// filters driven as the host application drives them.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "Commands.h"
#include "HostManager.h"
#include "ModuleLoader.h"
#include "orvo/Transferable.h"

namespace bndhost {

class Session {
public:
    Session(const std::string& modulePath, HostManager::Answer answer, bool quiet);

    // The module's probe of `path`: 0, 1 or 2.
    int Probe(const std::filesystem::path& path);

    // Imports `path`, handing every object (the lattice, then each row) to
    // `receive`, which returns false to refuse it. Returns ExitDone, or
    // another status after printing why. Errors (a missing or incomplete file,
    // the module's own) are thrown.
    Exit Import(const std::filesystem::path& path, const std::function<bool(orvo::TrBase&)>& receive);

    // A new export filter of the module.
    std::unique_ptr<orvo::IoExportFilter> NewExporter();

private:
    std::unique_ptr<orvo::IoImportFilter> NewImporter();

    ModuleLoader module_;
    HostManager manager_;
};

// Says on stderr why an operation ended without doing all of it: ExitNotDone.
Exit NotDone(const std::string& why);

// Says that a signal stopped the operation (a closed pipe goes unsaid) and
// gives the status bndhost ends with.
Exit Interrupted();

} // namespace bndhost
