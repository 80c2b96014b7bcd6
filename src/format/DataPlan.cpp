#include "format/DataPlan.h"

#include <algorithm>
#include <limits>

namespace fennick {

std::optional<DataPlan> DataPlan::Of(const BndHeader& header, BndLayout layout, HostRows host)
{
    const auto geometry = DataGeometry::Of(header, layout);
    if (!geometry) {
        return std::nullopt;
    }
    DataPlan plan;
    plan.geometry = *geometry;
    const DataGeometry& g = plan.geometry;
    const auto bandRows = CheckedMultiply(g.runsPerRow, g.rowStride); // one row of every band
    if (g.bandSequential && bandRows && *bandRows > 0) {
        const std::int64_t partRows = kBandPartSamples / std::max<std::int64_t>(g.runSamples, 1) + 1;
        const std::int64_t wanted = std::max(kBandWindowBytes / *bandRows, partRows);
        plan.windowRows = std::clamp<std::int64_t>(std::min(wanted, kBandWindowLimit / *bandRows), 1,
                                                   std::max<std::int64_t>(g.rows, 1));
    }
    const std::int64_t slot = plan.WindowSpan(plan.windowRows);
    plan.runDistance = g.bandSequential ? slot : g.runStride;
    // A window of each run, and nothing without runs (a lattice without bands).
    if (g.runsPerRow > 0) {
        const auto between = CheckedMultiply(g.runsPerRow - 1, plan.runDistance);
        const auto buffer = between ? CheckedAdd(*between, slot) : std::nullopt;
        if (!buffer) {
            return std::nullopt;
        }
        plan.bufferBytes = *buffer;
    }
    plan.inPlace = header.nbits >= 8 && g.runsPerRow == 1;
    const auto cells = CheckedMultiply(header.ncols, header.nbands);
    const auto rowBytes = cells ? CheckedMultiply(*cells, host.cellBytes) : std::nullopt;
    const auto hostRows = CheckedMultiply(header.nrows, host.planes);
    const auto fileRowBytes = cells ? PackedBytes(*cells, header.nbits) : std::nullopt;
    if (!rowBytes || !hostRows || !fileRowBytes) {
        return std::nullopt;
    }
    plan.rowBytes = *rowBytes;
    plan.hostRows = *hostRows;
    plan.fileRowBytes = *fileRowBytes;
    return plan;
}

bool DataPlan::FitsHostSizes() const
{
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    return rowBytes <= limit && hostRows <= limit && fileRowBytes <= limit;
}

} // namespace fennick
