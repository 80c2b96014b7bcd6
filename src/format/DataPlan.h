// What the row loops of both filters need, worked out once per import and
// once per export from a checked header (CheckHeader): the data geometry,
// the band window, the buffer and the host's rows. Every size is checked
// here, in 64 bits, and the 32-bit sizes of the host's rows by FitsHostSizes,
// so the loops trust it.
#pragma once

#include <cstdint>
#include <optional>

#include "format/DataGeometry.h"

namespace fennick {

// The band window: the band rows a BSQ import reads ahead, or a BSQ export
// keeps, of every band at once (at least one row). Few bands share
// kBandWindowBytes, small enough that decoding or encoding the window finds it
// in cache. Many bands get kBandPartSamples samples each instead (a 64 KiB
// write of the export's 32-bit samples), so that every band's part is still
// one long read or write, up to kBandWindowLimit in all.
inline constexpr std::int64_t kBandWindowBytes = std::int64_t{1} << 20;
inline constexpr std::int64_t kBandPartSamples = std::int64_t{1} << 14;
inline constexpr std::int64_t kBandWindowLimit = std::int64_t{16} << 20;

// What the host's rows hold: each cell's bytes, and the planes whose rows an
// export counts.
struct HostRows {
    std::int64_t cellBytes = 1;
    std::int64_t planes = 1;
};

struct DataPlan {
    DataGeometry geometry;
    // Rows of each run held at once: a band window for BSQ, one row otherwise
    // (BIL and BIP need one row of memory, whatever the raster's size).
    std::int64_t windowRows = 1;
    // The buffer holds a window of each run, run r's at r x runDistance. Its
    // rows lie rowStride apart as in the file, the last without its padding;
    // a BIL row's runs keep their file distance, so that one read moves them.
    std::int64_t runDistance = 0;
    std::int64_t bufferBytes = 0;
    // Import: one run of whole-byte samples per row, read straight into the
    // lattice row without the buffer.
    bool inPlace = false;
    // One host row (ncols x nbands cells), the rows the host delivers (nrows
    // x planes) and one row of the file's samples without padding.
    std::int64_t rowBytes = 0;
    std::int64_t hostRows = 0;
    std::int64_t fileRowBytes = 0;

    // Empty when a size does not fit in 64 bits.
    static std::optional<DataPlan> Of(const BndHeader& header, BndLayout layout, HostRows host = {});

    // Whether the host's row, its count of rows and one row of samples (one
    // write of the export) fit the host's 32-bit sizes.
    [[nodiscard]] bool FitsHostSizes() const;

    // Bytes of one run's part of a window of `rows` rows.
    [[nodiscard]] std::int64_t WindowSpan(std::int64_t rows) const
    {
        return (rows - 1) * geometry.rowStride + geometry.runBytes;
    }

    // The runs lie in the file as they lie in the buffer, so one read moves them all.
    [[nodiscard]] bool RunsTogether() const { return geometry.runStride == runDistance; }
};

} // namespace fennick
