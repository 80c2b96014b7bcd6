#include "format/SideFiles.h"

#include <array>
#include <cmath>
#include <string>

#include "files/Platform.h"
#include "format/FieldScan.h"
#include "format/LatticeGeometry.h"
#include "format/TextLines.h"
#include "support/Reporting.h"
#include "tamsel/Format.h"

namespace fennick {

namespace {

// Opens an optional side file. False when there is none; a path that exists
// but cannot be read, or is too large to be a side file, is an error (1 when
// quiet), as its values would be lost.
bool OpenSideFile(tamsel::CBufferedFile& file, const std::string& path, const char* what, const Reporter& report,
                  int& result)
{
    result = 0;
    if (path.empty()) {
        return false;
    }
    if (file.OpenNoThrow(path.c_str(), "rt", kShare, false)) {
        result = RefuseLargeTextFile(file, path, report);
        return result == 0;
    }
    const std::string reason = platform::UnreadableReason(path.c_str(), platform::LastSystemError());
    if (!reason.empty()) {
        result = report.Fail(__LINE__, "The %s file %s cannot be read (%s).", what, path.c_str(), reason.c_str());
    }
    return false;
}

} // namespace

// Six lines by position: x step, two rotation terms, y step, then the
// upper-left x and y. Each must be a finite number (a rotation term that is no
// number at all counts as 0), and the steps not zero. The lattice has no
// rotation, so a raster whose rotation would move any node by more than 1% of
// a cell is refused: line 2 moves the last column's nodes in y, line 3 the
// last row's in x. A smaller rotation is left out.
int ReadWorldFile(const std::string& path, const Reporter& report, BndDescription& d)
{
    tamsel::CBufferedFile file;
    if (int result = 0; !OpenSideFile(file, path, "world", report, result)) {
        return result;
    }
    std::array<double, 6> values{};
    TextLines lines(file);
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        lines.Next(line); // a missing line reads as empty and fails below
        if (lines.Error() != 0) {
            return report.ReadFailed(__LINE__, path.c_str(), lines.Error());
        }
        const char* text = line.c_str();
        const bool rotation = i == 1 || i == 2;
        const bool usable = rotation ? !ScanDouble(text, values[i]) || std::isfinite(values[i])
                                     : ScanFinite(text, values[i]) && (values[i] != 0.0 || i >= 4);
        if (!usable) {
            return report.BadRecord(__LINE__, path.c_str(), static_cast<int>(i) + 1);
        }
    }
    BndHeader& header = d.header;
    if (std::fabs(values[1]) * (header.ncols - 1) > std::fabs(values[3]) / 100) {
        return report.Fail(__LINE__, kRotatedRaster, path.c_str(), "line 2");
    }
    if (std::fabs(values[2]) * (header.nrows - 1) > std::fabs(values[0]) / 100) {
        return report.Fail(__LINE__, kRotatedRaster, path.c_str(), "line 3");
    }
    // A positive y step runs the rows upward: line 6 places the file's first
    // row, the southernmost, and the upper-left node is its last row's.
    header.xdim = values[0];
    header.ydim = values[3];
    header.ulxmap = values[4];
    d.rowsUpward = values[3] > 0;
    header.ulymap = d.rowsUpward ? values[5] + (header.nrows - 1) * values[3] : values[5];
    if (!HasFiniteExtent(header)) {
        return report.Fail(__LINE__, kInfiniteExtent, path.c_str());
    }
    d.worldFile = path;
    return 0;
}

// Lines "band min max ..."; the range is the smallest minimum and the largest
// maximum of all of them, each a finite number. Lines that do not begin with a
// digit are ignored.
int ReadStatisticsFile(const std::string& path, const Reporter& report, BndDescription& d)
{
    double& valueMin = d.valueMin;
    double& valueMax = d.valueMax;
    tamsel::CBufferedFile file;
    if (int result = 0; !OpenSideFile(file, path, "statistics", report, result)) {
        return result;
    }
    TextLines lines(file);
    std::string line;
    int lineNumber = 0;
    bool first = true;
    while (lines.Next(line)) {
        ++lineNumber;
        tamsel::TrimLeft(line);
        if (line.empty() || line[0] < '0' || line[0] > '9') {
            continue;
        }
        const char* text = line.c_str();
        std::int32_t band = 0;
        double minimum = 0.0;
        double maximum = 0.0;
        if (!ScanInt(text, band) || !ScanFinite(text, minimum) || !ScanFinite(text, maximum)) {
            return report.BadRecord(__LINE__, path.c_str(), lineNumber);
        }
        if (first || minimum < valueMin) {
            valueMin = minimum;
        }
        if (first || maximum > valueMax) {
            valueMax = maximum;
        }
        first = false;
    }
    if (lines.Error() != 0) {
        return report.ReadFailed(__LINE__, path.c_str(), lines.Error());
    }
    d.statisticsFile = path;
    return 0;
}

} // namespace fennick
