#include "format/SideFiles.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <string>

#include "format/FieldScan.h"
#include "format/TextLines.h"
#include "support/Platform.h"
#include "support/Reporting.h"
#include "tamsel/Format.h"
#include "tamsel/Path.h"

namespace fennick {

bool IsDataPath(const char* path)
{
    return tamsel::CPath::HasExtension(path) &&
           !platform::EqualsIgnoreCase(tamsel::CPath::GetExtensionPtr(path), ".hdr");
}

std::string SideFilePath(const char* dataPath, const char* extension)
{
    return platform::FindIgnoringCase(tamsel::CPath::ChangeExtension(dataPath, extension));
}

bool IsSideFileExtension(const char* extension)
{
    return platform::EqualsIgnoreCase(extension, ".hdr") || platform::EqualsIgnoreCase(extension, ".blw") ||
           platform::EqualsIgnoreCase(extension, ".stx");
}

std::vector<std::string> OtherFilesOfTheName(const std::string& path)
{
    const char* name = tamsel::CPath::GetNamePtr(path.c_str());
    const std::string folder = path.substr(0, static_cast<std::size_t>(name - path.c_str()));
    const std::string stem(name, tamsel::CPath::GetExtensionPtr(name));
    std::vector<std::string> others;
    std::error_code error;
    for (std::filesystem::directory_iterator it(platform::PathOf(folder.empty() ? "." : folder), error), end;
         !error && it != end; it.increment(error)) {
        const std::string other = platform::TextOf(it->path().filename());
        const char* extension = tamsel::CPath::GetExtensionPtr(other.c_str());
        if (*extension != '\0' && !IsSideFileExtension(extension) && other != name &&
            platform::EqualsIgnoreCase(std::string_view(other.c_str(), extension), stem)) {
            others.push_back(folder + other);
        }
    }
    return others;
}

namespace {

// Opens an optional side file. False when there is none; a path that exists
// but cannot be read is an error (1 when quiet), as its values would be lost.
bool OpenSideFile(tamsel::CBufferedFile& file, const std::string& path, const char* what, const Reporter& report,
                  int& result)
{
    result = 0;
    if (file.OpenNoThrow(path.c_str(), "rt", kShare, false)) {
        return true;
    }
    const std::string reason = platform::UnreadableReason(path.c_str(), platform::LastSystemError());
    if (!reason.empty()) {
        result = report.Fail(__LINE__, "The %s file %s cannot be read (%s).", what, path.c_str(), reason.c_str());
    }
    return false;
}

} // namespace

// Six lines by position: x step, two rotation terms (skipped: the raster is
// taken as aligned with the axes), y step, then the upper-left x and y. Each
// must be a finite number, and the steps not zero.
int ReadWorldFile(const char* dataPath, const Reporter& report, BndDescription& d)
{
    BndHeader& header = d.header;
    const std::string path = SideFilePath(dataPath, ".blw");
    tamsel::CBufferedFile file;
    if (int result = 0; !OpenSideFile(file, path, "world", report, result)) {
        return result;
    }
    const std::array<double*, 6> targets = {&header.xdim, nullptr,        nullptr,
                                            &header.ydim, &header.ulxmap, &header.ulymap};
    TextLines lines(file);
    std::string line;
    for (int lineNumber = 1; lineNumber <= 6; ++lineNumber) {
        lines.Next(line); // a missing line reads as empty and fails below
        if (lines.Error() != 0) {
            return report.ReadFailed(__LINE__, path.c_str(), lines.Error());
        }
        double* target = targets[static_cast<std::size_t>(lineNumber - 1)];
        const bool spacing = target == &header.xdim || target == &header.ydim;
        const char* text = line.c_str();
        double value = 0.0;
        // The rotation terms are not used: only a number that is not finite is refused there.
        const bool usable = target == nullptr ? !ScanDouble(text, value) || std::isfinite(value)
                                              : ScanFinite(text, value) && (!spacing || value != 0.0);
        if (!usable) {
            return report.BadRecord(__LINE__, path.c_str(), lineNumber);
        }
        if (target != nullptr) {
            *target = value;
        }
    }
    d.worldFile = path;
    return 0;
}

// Lines "band min max ..."; the range is the smallest minimum and the largest
// maximum of all of them. Lines that do not begin with a digit are ignored.
int ReadStatisticsFile(const char* dataPath, const Reporter& report, BndDescription& d)
{
    double& valueMin = d.valueMin;
    double& valueMax = d.valueMax;
    const std::string path = SideFilePath(dataPath, ".stx");
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
        if (!ScanInt(text, band) || !ScanDouble(text, minimum) || !ScanDouble(text, maximum)) {
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
