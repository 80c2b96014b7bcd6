#include "Session.h"

#include <iostream>

namespace bndhost {

namespace {

// Says on stderr why an import ended without all its rows.
Exit NotDone(const std::string& why)
{
    std::cerr << "bndhost: " << why << '\n';
    return ExitNotDone;
}

} // namespace

Session::Session(const std::string& modulePath, HostManager::Answer answer, bool quiet)
    : module_(modulePath), manager_(answer, quiet)
{
}

int Session::Probe(const std::string& path)
{
    const std::unique_ptr<orvo::IoImportFilter> filter(module_.Importer()(manager_));
    return filter->ProbeFile(path.c_str());
}

Exit Session::Import(const std::string& path, const LatticeSink& onLattice, const RowSink& onRow)
{
    bool gotLattice = false;
    std::string refusal;
    manager_.receiver = [&](orvo::TrBase& object) {
        if (object.GetTypeId() == orvo::TrUniformLattice::GetClassTypeId()) {
            gotLattice = true;
            if (!onLattice(static_cast<orvo::TrUniformLattice&>(object))) {
                refusal = "the lattice was refused";
                return false;
            }
            return true;
        }
        if (object.GetTypeId() == orvo::TrLatticeScan::GetClassTypeId() &&
            onRow(static_cast<orvo::TrLatticeScan&>(object))) {
            return true;
        }
        refusal = "a row was refused";
        return false;
    };
    const std::unique_ptr<orvo::IoImportFilter> filter(module_.Importer()(manager_));
    const orvo::ImportStatus status = filter->ImportFromFile(path.c_str(), false);
    manager_.receiver = nullptr;
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
    return NotDone(refusal.empty() ? "stopped: the import of " + path + " was cancelled"
                                   : "refused: " + refusal + " while importing " + path);
}

Exit Session::Convert(const std::string& in, const std::string& out)
{
    std::unique_ptr<orvo::IoExportFilter> exporter(module_.Exporter()(manager_));
    if (exporter->BeginExport(out.c_str(), false) != orvo::ExportStatus::Done) {
        return NotDone("refused: " + out + " has no extension (.bil, .bip or .bsq chooses the layout)");
    }
    const auto forward = [&](orvo::TrBase& object) {
        return exporter->ExportObject(object) == orvo::ExportStatus::Done;
    };
    const Exit imported = Import(in, forward, forward);
    if (imported != ExitDone) {
        return imported; // destroying the export filter gives up the partial output
    }
    exporter->EndExport();
    return ExitDone;
}

} // namespace bndhost
