// The module's two exported entry points.
#include <new>

#include "export/BndExportFilter.h"
#include "import/BndImportFilter.h"

#define FENNICK_EXPORT extern "C" __attribute__((visibility("default")))

FENNICK_EXPORT orvo::IoExportFilter* ExportBND(orvo::IoManager& manager)
{
    return new (std::nothrow) fennick::BndExportFilter(manager);
}

FENNICK_EXPORT orvo::IoImportFilter* ImportBND(orvo::IoManager& manager)
{
    return new (std::nothrow) fennick::BndImportFilter(manager);
}
