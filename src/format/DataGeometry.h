// Where the samples of a data file lie: the one size and offset rule that the
// import, the export and a host's size check share.
#pragma once

#include <cstdint>
#include <optional>

#include "format/BndHeader.h"

namespace fennick {

// Bytes that `samples` samples of `bits` bits occupy, rounded up to whole
// bytes; empty when the product does not fit in 64 bits.
std::optional<std::int64_t> PackedBytes(std::int64_t samples, std::int64_t bits);

// The bytes a band row of `header` takes without padding: ncols samples.
std::optional<std::int64_t> NaturalBandRow(const BndHeader& header);

// The bytes a row of every band takes without padding: for BIL, nbands band
// rows `bandRowStride` apart; for BIP, ncols x nbands samples together. BSQ
// has no such row (0). Empty when a size does not fit in 64 bits.
std::optional<std::int64_t> NaturalRow(const BndHeader& header, BndLayout layout, std::int64_t bandRowStride);

// A data file is a sequence of runs: each row is `runsPerRow` runs of
// `runSamples` packed samples (`runBytes` bytes) each. BIL and BSQ have one
// run per band row, BIP one run per row. Every run starts on a new byte;
// bytes between the end of a run and the next one's start (row padding, band
// gaps) are skipped. Run r of row y starts at
//     skip + y x rowStride + r x runStride
// with, from the header's sizes:
// - band-row stride = max(bandrowbytes, natural band row)
// - BIL: rowStride = max(totalrowbytes, natural row), runStride = band-row stride
// - BIP: rowStride = max(totalrowbytes, natural row), runStride = 0 (one run)
// - BSQ: rowStride = band-row stride, runStride = nrows x band-row stride + bandgapbytes
// and the expected file size is skip + nrows x rowStride (BIL, BIP), or
// skip + nbands x nrows x band-row stride + (nbands - 1) x bandgapbytes (BSQ).
struct DataGeometry {
    std::int64_t skip = 0;
    std::int64_t rowStride = 0;
    std::int64_t runStride = 0;
    std::int64_t runsPerRow = 0;
    std::int64_t runSamples = 0;
    std::int64_t runBytes = 0;
    std::int64_t rows = 0;
    std::int64_t bandRowStride = 0;
    std::int64_t expectedSize = 0;
    bool bandSequential = false; // BSQ: the runs of each band's rows follow one another

    // The geometry of a completed header (nrows, ncols >= 0, nbands >= 1,
    // nbits 1 to 32, no negative sizes); empty when a size does not fit in 64
    // bits, which no file can then hold.
    static std::optional<DataGeometry> Of(const BndHeader& header, BndLayout layout);

    [[nodiscard]] std::int64_t RunOffset(std::int64_t row, std::int64_t run) const
    {
        return skip + row * rowStride + run * runStride;
    }
};

// Sizes in checked arithmetic: empty when an operand is negative or the
// result does not fit in 64 bits.
std::optional<std::int64_t> CheckedMultiply(std::int64_t a, std::int64_t b);
std::optional<std::int64_t> CheckedAdd(std::int64_t a, std::int64_t b);

} // namespace fennick
