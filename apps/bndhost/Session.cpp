#include "Session.h"

#include <stdexcept>

#include "System.h"
#include "hostside/IoError.h"
#include "support/Platform.h"

namespace bndhost {

namespace fs = std::filesystem;
using fennick::platform::TextOf;

Exit NotDone(const std::string& why)
{
    Complain(why);
    return ExitNotDone;
}

Exit Interrupted()
{
    const int status = sys::EndingStatus();
    if (status != sys::kClosedPipeStatus) {
        Complain("interrupted");
    }
    return status == 0 ? ExitInterrupted : static_cast<Exit>(status);
}

Session::Session(const std::string& modulePath, HostManager::Answer answer, bool quiet)
    : module_(modulePath), manager_(answer, quiet)
{
}

std::unique_ptr<orvo::IoImportFilter> Session::NewImporter()
{
    std::unique_ptr<orvo::IoImportFilter> filter(module_.Importer()(manager_));
    if (!filter) {
        throw ModuleError(module_.Path() + " gave no import filter");
    }
    return filter;
}

int Session::Probe(const fs::path& path)
{
    const std::unique_ptr<orvo::IoImportFilter> filter = NewImporter();
    const sys::ModuleAtWork working;
    return filter->ProbeFile(TextOf(path).c_str());
}

std::unique_ptr<orvo::IoExportFilter> Session::NewExporter()
{
    std::unique_ptr<orvo::IoExportFilter> filter(module_.Exporter()(manager_));
    if (!filter) {
        throw ModuleError(module_.Path() + " gave no export filter");
    }
    return filter;
}

Exit Session::Import(const fs::path& path, const std::function<bool(orvo::TrBase&)>& receive)
{
    const std::string name = TextOf(path);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error))) {
        throw std::runtime_error(name + ": no such file");
    }
    const std::unique_ptr<orvo::IoImportFilter> filter = NewImporter();
    bool gotLattice = false;
    bool refused = false;
    manager_.receiver = [&](orvo::TrBase& object) {
        gotLattice = gotLattice || object.GetTypeId() == orvo::TrUniformLattice::GetClassTypeId();
        refused = !receive(object);
        return !refused;
    };
    // No object goes to `receive` after this import, however it ends.
    const std::unique_ptr<HostManager, void (*)(HostManager*)> receiving(
        &manager_, [](HostManager* manager) { manager->receiver = nullptr; });
    orvo::ImportStatus status = orvo::ImportStatus::Stopped;
    const sys::ModuleAtWork working;
    try {
        status = filter->ImportFromFile(name.c_str(), false);
    } catch (const orvo::IoError& raised) {
        // A data file whose size differs from its header's (the probe says
        // so) raises only when it is shorter: add its size.
        const auto size = fs::file_size(path, error);
        if (error || filter->ProbeFile(name.c_str()) != 2) {
            throw;
        }
        throw std::runtime_error(OneLine(raised.what()) + " (the data file has only " + std::to_string(size) +
                                 " bytes)");
    }
    if (HostManager::StopRequested()) {
        return Interrupted();
    }
    switch (status) {
    case orvo::ImportStatus::Done: return ExitDone;
    case orvo::ImportStatus::Declined: return NotDone("declined: " + name + " was not imported");
    default: break;
    }
    if (!gotLattice) {
        return NotDone("not importable: " + name +
                       " is not a banded raster this module reads (it needs an extension other than .hdr and at "
                       "least 2 rows and 2 columns)");
    }
    return NotDone(refused ? "refused: an object was refused while importing " + name
                           : "stopped: the import of " + name + " was cancelled");
}

} // namespace bndhost
