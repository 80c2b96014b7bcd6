#include "format/DataGeometry.h"

#include <algorithm>

namespace fennick {

namespace {

std::optional<std::int64_t> Multiply(std::int64_t a, std::int64_t b)
{
    std::int64_t result = 0;
    if (__builtin_mul_overflow(a, b, &result)) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::int64_t> Add(std::int64_t a, std::int64_t b)
{
    std::int64_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) {
        return std::nullopt;
    }
    return result;
}

} // namespace

std::optional<std::int64_t> PackedBytes(std::int64_t samples, std::int64_t bits)
{
    const auto totalBits = Multiply(samples, bits);
    if (!totalBits) {
        return std::nullopt;
    }
    return *totalBits / 8 + (*totalBits % 8 != 0 ? 1 : 0);
}

std::optional<DataGeometry> DataGeometry::Of(const BndHeader& header, BndLayout layout)
{
    DataGeometry g;
    g.layout = layout;
    g.skip = header.skipbytes;
    const std::int64_t nrows = header.nrows;
    const std::int64_t nbands = header.nbands;

    const auto bandRow = PackedBytes(header.ncols, header.nbits);
    if (!bandRow) {
        return std::nullopt;
    }
    std::optional<std::int64_t> dataBytes;
    if (layout == BndLayout::BIP) {
        const auto pixelSamples = Multiply(header.ncols, nbands);
        const auto pixelRow = pixelSamples ? PackedBytes(*pixelSamples, header.nbits) : std::nullopt;
        if (!pixelRow) {
            return std::nullopt;
        }
        g.runsPerRow = 1;
        g.runSamples = *pixelSamples;
        g.runBytes = *pixelRow;
        g.rowStride = std::max<std::int64_t>(header.totalrowbytes, *pixelRow);
        dataBytes = Multiply(nrows, g.rowStride);
    } else {
        g.runsPerRow = nbands;
        g.runSamples = header.ncols;
        g.runBytes = *bandRow;
        g.bandRowStride = std::max<std::int64_t>(header.bandrowbytes, *bandRow);
        if (layout == BndLayout::BIL) {
            const auto bands = Multiply(nbands, g.bandRowStride);
            if (!bands) {
                return std::nullopt;
            }
            g.rowStride = std::max<std::int64_t>(header.totalrowbytes, *bands);
            dataBytes = Multiply(nrows, g.rowStride);
        } else {
            const auto bandSize = Multiply(nrows, g.bandRowStride);
            const auto bandStride = bandSize ? Add(*bandSize, header.bandgapbytes) : std::nullopt;
            const auto allBands = bandSize ? Multiply(nbands, *bandSize) : std::nullopt;
            const auto gaps = Multiply(nbands - 1, header.bandgapbytes);
            if (!bandStride || !allBands || !gaps) {
                return std::nullopt;
            }
            g.bandStride = *bandStride;
            dataBytes = Add(*allBands, *gaps);
        }
    }
    const auto expected = dataBytes ? Add(g.skip, *dataBytes) : std::nullopt;
    if (!expected) {
        return std::nullopt;
    }
    g.expectedSize = *expected;
    return g;
}

} // namespace fennick
