#include "import/BndImportFilter.h"

namespace fennick {

BndImportFilter::BndImportFilter(orvo::IoManager& manager) : BndFilter(manager) {}

int BndImportFilter::ProbeFile(const char* /*path*/)
{
    return 0;
}

orvo::ImportStatus BndImportFilter::ImportFromFile(const char* /*path*/, bool /*flag*/)
{
    return orvo::ImportStatus::Stopped;
}

} // namespace fennick
