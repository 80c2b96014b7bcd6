// The module's two exported entry points.
#include <new>

#include "export/BndExportFilter.h"
#include "files/Platform.h"
#include "import/BndImportFilter.h"

FENNICK_EXPORT orvo::IoExportFilter* ExportBND(orvo::IoManager& manager)
{
    return new (std::nothrow) fennick::BndExportFilter(manager);
}

FENNICK_EXPORT orvo::IoImportFilter* ImportBND(orvo::IoManager& manager)
{
    return new (std::nothrow) fennick::BndImportFilter(manager);
}
