#include "format/BndHeader.h"

#include "files/Platform.h"
#include "format/FieldScan.h"

namespace fennick {

namespace {

BndLayout LayoutWhere(const char* text, const char* LayoutNames::*field)
{
    for (const LayoutNames& layout : kLayouts) {
        if (platform::EqualsIgnoreCase(text, layout.*field)) {
            return layout.code;
        }
    }
    return BndLayout::BIL;
}

} // namespace

BndLayout LayoutOfName(const char* name)
{
    return LayoutWhere(name, &LayoutNames::name);
}

BndLayout LayoutOfExtension(const char* extension)
{
    return LayoutWhere(extension, &LayoutNames::extension);
}

bool ScanNodata(const char*& text, BndDescription& d)
{
    const char* start = SkipBlanks(text);
    double value = 0.0;
    if (!ScanDouble(text, value)) {
        return false;
    }
    d.nodata = value;
    d.nodataText.assign(start, text);
    return true;
}

} // namespace fennick
