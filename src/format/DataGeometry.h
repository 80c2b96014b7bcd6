// Where the samples of a data file lie: the one rule that the size check and
// the layout readers share.
#pragma once

#include <cstdint>
#include <optional>

#include "format/BndHeader.h"

namespace fennick {

// The most a BSQ import reads ahead, or a BSQ export keeps, of band rows: its
// band window (at least one row). Small enough that decoding or encoding the
// window finds it in cache, large enough that each band's part is one long run.
inline constexpr std::int64_t kBandWindowBytes = std::int64_t{1} << 20;

// Bytes that `samples` samples of `bits` bits occupy, rounded up to whole
// bytes; empty when the product does not fit in 64 bits.
std::optional<std::int64_t> PackedBytes(std::int64_t samples, std::int64_t bits);

// A data file is read as runs: each row is `runsPerRow` runs of `runSamples`
// packed samples (`runBytes` bytes) each. BIL and BSQ read one run per band row,
// BIP one run per row. Every run starts on a new byte; bytes between the end of
// a run and the next one's start (row padding, band gaps) are skipped.
//
// - band-row stride (BIL, BSQ) = max(bandrowbytes, natural band row)
// - row stride = max(totalrowbytes, nbands x band-row stride) for BIL,
//                max(totalrowbytes, natural pixel row) for BIP
// - band size (BSQ) = nrows x band-row stride
// - expected size = skipbytes + nrows x row stride (BIL, BIP), or
//                   skipbytes + nbands x band size + (nbands - 1) x bandgapbytes (BSQ)
struct DataGeometry {
    BndLayout layout = BndLayout::BIL;
    std::int64_t skip = 0;
    std::int64_t bandRowStride = 0;
    std::int64_t rowStride = 0;
    std::int64_t bandStride = 0; // BSQ: band size plus gap
    std::int64_t runsPerRow = 0;
    std::int64_t runSamples = 0;
    std::int64_t runBytes = 0;
    std::int64_t expectedSize = 0;

    // Computes the geometry of a completed header (nrows, ncols, nbands >= 1,
    // nbits 1 to 32, no negative sizes); empty when a size does not fit in 64 bits,
    // which no file can then hold.
    static std::optional<DataGeometry> Of(const BndHeader& header, BndLayout layout);

    // File offset of run `run` of row `row`.
    [[nodiscard]] std::int64_t RunOffset(std::int64_t row, std::int64_t run) const
    {
        switch (layout) {
        case BndLayout::BIP: return skip + row * rowStride;
        case BndLayout::BSQ: return skip + run * bandStride + row * bandRowStride;
        case BndLayout::BIL: break;
        }
        return skip + row * rowStride + run * bandRowStride;
    }
};

} // namespace fennick
