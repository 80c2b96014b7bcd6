#include "export/BndExportFilter.h"

namespace fennick {

BndExportFilter::BndExportFilter(orvo::IoManager& manager) : BndFilter(manager) {}

BndExportFilter::~BndExportFilter()
{
    if (dataFile.IsOpen()) {
        dataFile.Abort(true);
    }
    progress.reset();
    lattice.reset();
    bsqBuffer.reset();
}

orvo::ExportStatus BndExportFilter::BeginExport(const char* /*path*/, bool /*flag*/)
{
    return orvo::ExportStatus::NotHandled;
}

orvo::ExportStatus BndExportFilter::ExportObject(orvo::TrBase& /*object*/)
{
    return orvo::ExportStatus::NotHandled;
}

orvo::ExportStatus BndExportFilter::EndExport()
{
    return orvo::ExportStatus::NotHandled;
}

} // namespace fennick
