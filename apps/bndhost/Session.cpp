#include "Session.h"

#include <filesystem>
#include <stdexcept>

#include "HeaderFacts.h"
#include "System.h"
#include "hostside/IoError.h"
#include "support/Platform.h"

namespace bndhost {

namespace fs = std::filesystem;

namespace {

// Hands every object to `receiver` while it lives; none afterwards, however
// the operation ends.
class Receiving {
public:
    Receiving(HostManager& manager, std::function<bool(orvo::TrBase&)> receiver) : manager_(manager)
    {
        manager_.receiver = std::move(receiver);
    }
    ~Receiving() { manager_.receiver = nullptr; }
    Receiving(const Receiving&) = delete;
    Receiving& operator=(const Receiving&) = delete;

private:
    HostManager& manager_;
};

} // namespace

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

int Session::Probe(const std::string& path)
{
    std::unique_ptr<orvo::IoImportFilter> filter(module_.Importer()(manager_));
    if (!filter) {
        throw ModuleError(module_.Path() + " gave no import filter");
    }
    const sys::ModuleAtWork working;
    return filter->ProbeFile(path.c_str());
}

std::unique_ptr<orvo::IoExportFilter> Session::NewExporter()
{
    std::unique_ptr<orvo::IoExportFilter> filter(module_.Exporter()(manager_));
    if (!filter) {
        throw ModuleError(module_.Path() + " gave no export filter");
    }
    return filter;
}

Exit Session::Import(const std::string& path, const std::function<bool(orvo::TrBase&)>& receive)
{
    const std::string extension = sys::TextOf(sys::PathOf(path).extension());
    if (fennick::platform::EqualsIgnoreCase(extension.c_str(), ".hdr")) {
        return NotDone("refused: " + path + " is a header; give its data file");
    }
    std::error_code error;
    if (!fs::exists(fs::symlink_status(sys::PathOf(path), error))) {
        throw std::runtime_error(path + ": no such file");
    }
    std::unique_ptr<orvo::IoImportFilter> filter(module_.Importer()(manager_));
    if (!filter) {
        throw ModuleError(module_.Path() + " gave no import filter");
    }
    bool gotLattice = false;
    bool refused = false;
    const Receiving receiving(manager_, [&](orvo::TrBase& object) {
        gotLattice = gotLattice || object.GetTypeId() == orvo::TrUniformLattice::GetClassTypeId();
        refused = !receive(object);
        return !refused;
    });
    orvo::ImportStatus status = orvo::ImportStatus::Stopped;
    const sys::ModuleAtWork working;
    try {
        status = filter->ImportFromFile(path.c_str(), false);
    } catch (const orvo::IoError& raised) {
        // A data file shorter than its header says: add both sizes.
        const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
        if (!facts || !facts->dataSize || *facts->dataSize >= facts->expectedSize) {
            throw;
        }
        throw std::runtime_error(OneLine(raised.what()) + " (the data file has " + std::to_string(*facts->dataSize) +
                                 " bytes of the " + std::to_string(facts->expectedSize) + " its header describes)");
    }
    if (HostManager::StopRequested()) {
        return Interrupted();
    }
    switch (status) {
    case orvo::ImportStatus::Done: return ExitDone;
    case orvo::ImportStatus::Declined: return NotDone("declined: " + path + " was not imported");
    default: break;
    }
    if (!gotLattice) {
        return NotDone("not importable: " + path +
                       " is not a banded raster this module reads (it needs an extension and at least 2 rows and "
                       "2 columns)");
    }
    return NotDone(refused ? "refused: an object was refused while importing " + path
                           : "stopped: the import of " + path + " was cancelled");
}

} // namespace bndhost
