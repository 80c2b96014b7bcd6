// Test-side maker of banded raster files: packs expected sample values into
// data bytes independently of the module's decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fennick::test {

struct RasterShape {
    std::string layout = "BIL";
    int nbits = 8;
    char byteorder = 'I';
    int nrows = 4;
    int ncols = 5;
    int nbands = 1;
    int skipbytes = 0;
    int bandgapbytes = 0;
    int bandRowPadding = 0;  // bytes added to each band row (BIL, BSQ), declared as bandrowbytes
    int totalRowPadding = 0; // bytes added to each row (BIL, BIP), declared as totalrowbytes
};

// Expected values, [row][band][column], each below 2^nbits.
using Samples = std::vector<std::vector<std::vector<std::uint32_t>>>;

// Deterministic values that use the full width of each sample.
Samples MakeSamples(const RasterShape& shape, std::uint32_t seed = 1);

// The header text for `shape` (with explicit row sizes where padding is asked for).
std::string HeaderText(const RasterShape& shape);

// The data file bytes; skipped, padding, gap and unused low bits are filled
// with ones so that a reader that takes them produces wrong values.
std::vector<unsigned char> DataBytes(const RasterShape& shape, const Samples& samples);

// The lattice row the import should deliver for row `row`: cells of 1, 2 or 4
// bytes (by nbits), little-endian, at (column * nbands + band) * cell.
std::vector<unsigned char> LatticeRow(const RasterShape& shape, const Samples& samples, int row);

} // namespace fennick::test
