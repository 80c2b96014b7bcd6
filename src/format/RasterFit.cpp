#include "format/RasterFit.h"

#include "format/DataPlan.h"
#include "support/Reporting.h"
#include "tamsel/BufferedFile.h"

namespace fennick {

RasterFit FitOf(const char* path, BndDescription& description)
{
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(path, "rb", kShare, false)) {
        return RasterFit::None;
    }
    const std::int64_t length = file.GetLength();
    if (length == 0 || ReadDescription(path, true, description) != 0) {
        return RasterFit::None;
    }
    const auto plan = DataPlan::Of(description.header, description.layoutCode);
    if (plan && length == plan->geometry.expectedSize) {
        return RasterFit::Exact;
    }
    return plan && length > plan->geometry.expectedSize ? RasterFit::Longer : RasterFit::Shorter;
}

bool ReadsAsRasterFile(const std::string& path)
{
    BndDescription description;
    const RasterFit fit = FitOf(path.c_str(), description);
    return fit == RasterFit::Exact || fit == RasterFit::Longer;
}

} // namespace fennick
