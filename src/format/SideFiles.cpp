// The optional world (.blw) and statistics (.stx) files beside a data file.
#include <array>

#include "format/FieldScan.h"
#include "import/BndImportFilter.h"
#include "tamsel/Format.h"
#include "tamsel/Path.h"

namespace fennick {

namespace {

constexpr const char* kSource = "BndImportFilter";
constexpr auto kShare = tamsel::CBufferedFile::ShareReadWrite;

} // namespace

// Six lines by position: x step, two rotation terms (skipped: the raster is
// taken as aligned with the axes), y step, then the upper-left x and y.
int BndImportFilter::ReadWorldFile(const char* dataPath, bool quiet)
{
    const std::string path = tamsel::CPath::ChangeExtension(dataPath, ".blw");
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(path.c_str(), "rt", kShare, false)) {
        return 0;
    }
    const std::array<double*, 6> targets = {&header.xdim, nullptr,        nullptr,
                                            &header.ydim, &header.ulxmap, &header.ulymap};
    std::string line;
    for (int lineNumber = 1; lineNumber <= 6; ++lineNumber) {
        file.ReadString(line); // a missing line reads as empty and fails below
        double* target = targets[static_cast<std::size_t>(lineNumber - 1)];
        const char* text = line.c_str();
        if (target != nullptr && !ScanDouble(text, *target)) {
            return RecordError(kSource, __LINE__, path.c_str(), quiet, lineNumber);
        }
    }
    return 0;
}

// Lines "band min max ..."; the range is the smallest minimum and the largest
// maximum of all of them. Lines that do not begin with a digit are ignored.
int BndImportFilter::ReadStatisticsFile(const char* dataPath, bool quiet)
{
    const std::string path = tamsel::CPath::ChangeExtension(dataPath, ".stx");
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(path.c_str(), "rt", kShare, false)) {
        return 0;
    }
    std::string line;
    int lineNumber = 0;
    bool first = true;
    while (file.ReadString(line)) {
        ++lineNumber;
        tamsel::TrimLeft(line);
        if (line.empty() || line[0] < '0' || line[0] > '9') {
            continue;
        }
        const char* text = line.c_str();
        std::int32_t band = 0;
        double minimum = 0.0;
        double maximum = 0.0;
        if (!ScanInt(text, band) || !ScanDouble(text, minimum) || !ScanDouble(text, maximum)) {
            return RecordError(kSource, __LINE__, path.c_str(), quiet, lineNumber);
        }
        if (first || minimum < valueMin) {
            valueMin = minimum;
        }
        if (first || maximum > valueMax) {
            valueMax = maximum;
        }
        first = false;
    }
    return 0;
}

} // namespace fennick
