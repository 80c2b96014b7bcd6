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

std::optional<DataGeometry> DataGeometry::Of(const BndHeader& header, BndLayout layout)
{
    DataGeometry g;
    g.skip = header.skipbytes;
    g.rows = header.nrows;
    const std::int64_t nbands = header.nbands;
    const auto bandRow = PackedBytes(header.ncols, header.nbits);
    if (!bandRow) {
        return std::nullopt;
    }
    const std::int64_t bandRowStride = std::max<std::int64_t>(header.bandrowbytes, *bandRow);
    std::optional<std::int64_t> dataBytes;
    switch (layout) {
    case BndLayout::BIL: {
        const auto bands = CheckedMultiply(nbands, bandRowStride);
        if (!bands) {
            return std::nullopt;
        }
        g.runsPerRow = nbands;
        g.runSamples = header.ncols;
        g.runBytes = *bandRow;
        g.rowStride = std::max<std::int64_t>(header.totalrowbytes, *bands);
        g.runStride = bandRowStride;
        dataBytes = CheckedMultiply(g.rows, g.rowStride);
        break;
    }
    case BndLayout::BIP: {
        const auto pixelSamples = CheckedMultiply(header.ncols, nbands);
        const auto pixelRow = pixelSamples ? PackedBytes(*pixelSamples, header.nbits) : std::nullopt;
        if (!pixelRow) {
            return std::nullopt;
        }
        g.runsPerRow = 1;
        g.runSamples = *pixelSamples;
        g.runBytes = *pixelRow;
        g.rowStride = std::max<std::int64_t>(header.totalrowbytes, *pixelRow);
        dataBytes = CheckedMultiply(g.rows, g.rowStride);
        break;
    }
    case BndLayout::BSQ: {
        const auto bandSize = CheckedMultiply(g.rows, bandRowStride);
        const auto bandStride = bandSize ? CheckedAdd(*bandSize, header.bandgapbytes) : std::nullopt;
        const auto allBands = bandSize ? CheckedMultiply(nbands, *bandSize) : std::nullopt;
        const auto gaps = CheckedMultiply(std::max<std::int64_t>(nbands - 1, 0), header.bandgapbytes);
        if (!bandStride || !allBands || !gaps) {
            return std::nullopt;
        }
        g.runsPerRow = nbands;
        g.runSamples = header.ncols;
        g.runBytes = *bandRow;
        g.rowStride = bandRowStride;
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
