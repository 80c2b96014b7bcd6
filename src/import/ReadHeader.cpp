// The import filter's header members, filled by the format's reader.
#include "format/HeaderReader.h"
#include "format/Reporting.h"
#include "import/BndImportFilter.h"

namespace fennick {

// The members take what was read, also when the reading stopped partway:
// each read starts again from the defaults.
int BndImportFilter::ReadHeader(const char* dataPath, bool quiet)
{
    BndDescription read;
    const int result = ReadDescription(dataPath, quiet, read);
    header = read.header;
    layoutCode = read.layoutCode;
    sampleType = read.sampleType;
    swapBytes = read.swapBytes;
    valueMin = read.valueMin;
    valueMax = read.valueMax;
    return result;
}

int BndImportFilter::RecordError(const char* sourceFile, int sourceLine, const char* path, bool quiet, int lineNumber)
{
    return fennick::RecordError(sourceFile, sourceLine, path, quiet, lineNumber);
}

} // namespace fennick
