#include "format/DataGeometry.h"

#include <algorithm>
#include <limits>

namespace fennick {

namespace {
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
} // namespace

std::optional<std::int64_t> CheckedMultiply(std::int64_t a, std::int64_t b)
{
    if (a < 0 || b < 0 || (a != 0 && b > kMax / a)) {
        return std::nullopt;
    }
    return a * b;
}

std::optional<std::int64_t> CheckedAdd(std::int64_t a, std::int64_t b)
{
    if (a < 0 || b < 0 || b > kMax - a) {
        return std::nullopt;
    }
    return a + b;
}

std::optional<std::int64_t> PackedBytes(std::int64_t samples, std::int64_t bits)
{
    const auto totalBits = CheckedMultiply(samples, bits);
    if (!totalBits) {
        return std::nullopt;
    }
    return *totalBits / 8 + (*totalBits % 8 != 0 ? 1 : 0);
}

std::optional<std::int64_t> NaturalBandRow(const BndHeader& header)
{
    return PackedBytes(header.ncols, header.nbits);
}

std::optional<std::int64_t> NaturalRow(const BndHeader& header, BndLayout layout, std::int64_t bandRowStride)
{
    switch (layout) {
    case BndLayout::BIL: return CheckedMultiply(header.nbands, bandRowStride);
    case BndLayout::BIP: {
        const auto samples = CheckedMultiply(header.ncols, header.nbands);
        return samples ? PackedBytes(*samples, header.nbits) : std::nullopt;
    }
    default: return 0;
    }
}

std::optional<DataGeometry> DataGeometry::Of(const BndHeader& header, BndLayout layout)
{
    DataGeometry g;
    g.skip = header.skipbytes;
    g.rows = header.nrows;
    const std::int64_t nbands = header.nbands;
    const auto bandRow = NaturalBandRow(header);
    if (!bandRow) {
        return std::nullopt;
    }
    g.bandRowStride = std::max<std::int64_t>(header.bandrowbytes, *bandRow);
    const auto row = NaturalRow(header, layout, g.bandRowStride);
    if (!row) {
        return std::nullopt;
    }
    std::optional<std::int64_t> dataBytes;
    switch (layout) {
    case BndLayout::BIL:
        g.runsPerRow = nbands;
        g.runSamples = header.ncols;
        g.runBytes = *bandRow;
        g.rowStride = std::max<std::int64_t>(header.totalrowbytes, *row);
        g.runStride = g.bandRowStride;
        dataBytes = CheckedMultiply(g.rows, g.rowStride);
        break;
    case BndLayout::BIP:
        g.runsPerRow = 1;
        g.runSamples = std::int64_t{header.ncols} * nbands; // fits: NaturalRow multiplied them
        g.runBytes = *row;
        g.rowStride = std::max<std::int64_t>(header.totalrowbytes, *row);
        dataBytes = CheckedMultiply(g.rows, g.rowStride);
        break;
    case BndLayout::BSQ: {
        const auto bandSize = CheckedMultiply(g.rows, g.bandRowStride);
        const auto bandStride = bandSize ? CheckedAdd(*bandSize, header.bandgapbytes) : std::nullopt;
        const auto allBands = bandSize ? CheckedMultiply(nbands, *bandSize) : std::nullopt;
        const auto gaps = CheckedMultiply(std::max<std::int64_t>(nbands - 1, 0), header.bandgapbytes);
        if (!bandStride || !allBands || !gaps) {
            return std::nullopt;
        }
        g.runsPerRow = nbands;
        g.runSamples = header.ncols;
        g.runBytes = *bandRow;
        g.rowStride = g.bandRowStride;
        g.runStride = *bandStride;
        g.bandSequential = true;
        dataBytes = CheckedAdd(*allBands, *gaps);
        break;
    }
    }
    const auto expected = dataBytes ? CheckedAdd(g.skip, *dataBytes) : std::nullopt;
    if (!expected) {
        return std::nullopt;
    }
    g.expectedSize = *expected;
    return g;
}

} // namespace fennick
