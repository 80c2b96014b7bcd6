#include "Session.h"

#include <stdexcept>

#include "System.h"
#include "files/Platform.h"
#include "hostside/IoError.h"

namespace bndhost {

namespace fs = std::filesystem;
using fennick::platform::TextOf;

Exit NotDone(const std::string& why)
{
    Complain(why);
    return ExitNotDone;
}

Session::Session(const std::string& modulePath, Answer answer, bool quiet)
    : module_(modulePath), answer_(answer), showProgress_(!quiet && sys::IsTerminal(sys::Stream::Error))
{
}

std::unique_ptr<orvo::IoImportFilter> Session::NewImporter()
{
    std::unique_ptr<orvo::IoImportFilter> filter(module_.Importer()(*this));
    return filter ? std::move(filter) : throw std::runtime_error(module_.Path() + " gave no import filter");
}

std::unique_ptr<orvo::IoExportFilter> Session::NewExporter()
{
    std::unique_ptr<orvo::IoExportFilter> filter(module_.Exporter()(*this));
    return filter ? std::move(filter) : throw std::runtime_error(module_.Path() + " gave no export filter");
}

int Session::Probe(const fs::path& path)
{
    const std::unique_ptr<orvo::IoImportFilter> filter = NewImporter();
    const sys::ModuleAtWork working;
    return filter->ProbeFile(TextOf(path).c_str());
}

Exit Session::Import(const fs::path& path, const std::function<bool(orvo::TrUniformLattice&)>& lattice,
                     const std::function<bool(orvo::TrLatticeScan&)>& row)
{
    const std::string name = TextOf(path);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error))) {
        throw std::runtime_error(name + ": no such file");
    }
    const std::unique_ptr<orvo::IoImportFilter> filter = NewImporter();
    lattice_ = lattice;
    row_ = row;
    gotLattice_ = false;
    refused_ = false;
    // No object goes to `lattice` or `row` after this import, however it ends.
    const std::unique_ptr<Session, void (*)(Session*)> receiving(this, [](Session* session) {
        session->lattice_ = nullptr;
        session->row_ = nullptr;
    });
    orvo::ImportStatus status = orvo::ImportStatus::Stopped;
    const sys::ModuleAtWork working;
    try {
        status = filter->ImportFromFile(name.c_str(), false);
    } catch (const orvo::IoError& raised) {
        // A data file whose size differs from its header's (the probe says
        // so) raises only when it is shorter, and an empty one, which the
        // probe leaves out, always is: add its size.
        const auto size = fs::file_size(path, error);
        if (error || (size != 0 && filter->ProbeFile(name.c_str()) != 2)) {
            throw;
        }
        throw std::runtime_error(OneLine(raised.what()) + " (the data file has only " + std::to_string(size) +
                                 " bytes)");
    }
    if (StopRequested()) { // a signal: said unless it is a closed pipe, and bndhost ends with its status
        const int ending = sys::EndingStatus();
        if (ending != sys::kClosedPipeStatus) {
            Complain("interrupted");
        }
        return ending == 0 ? ExitInterrupted : static_cast<Exit>(ending);
    }
    switch (status) {
    case orvo::ImportStatus::Done: return ExitDone;
    case orvo::ImportStatus::Declined: return NotDone("declined: " + name + " was not imported");
    default: break;
    }
    if (!gotLattice_) {
        return NotDone("not importable: " + name +
                       " is not a banded raster this module reads (it needs a header beside it, of at least 2 "
                       "rows and 2 columns, and a name other than a header's .hdr)");
    }
    return NotDone(refused_ ? "refused: an object was refused while importing " + name
                            : "stopped: the import of " + name + " was cancelled");
}

bool Session::ReceiveObject(orvo::TrBase& object)
{
    const tamsel::CTypeInfo* type = object.GetTypeId();
    if (type == orvo::TrUniformLattice::GetClassTypeId() && lattice_) {
        gotLattice_ = true;
        refused_ = !lattice_(static_cast<orvo::TrUniformLattice&>(object));
    } else if (type == orvo::TrLatticeScan::GetClassTypeId() && row_) {
        refused_ = !row_(static_cast<orvo::TrLatticeScan&>(object));
    }
    return !refused_;
}

} // namespace bndhost
