// A maker of banded raster files from sample values, independent of the
// module: the demo, the tests and the benchmarks write their rasters with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rasters {

struct RasterShape {
    std::string layout = "BIL";
    int nbits = 8;
    char byteorder = 'I';
    int nrows = 4;
    int ncols = 5;
    int nbands = 1;
    int skipbytes = 0;
    int bandgapbytes = 0;
    int bandRowPadding = 0;     // bytes added to each band row (BIL, BSQ), declared as bandrowbytes
    int totalRowPadding = 0;    // bytes added to each row (BIL, BIP), declared as totalrowbytes
    std::string pixeltype = {}; // declared when not empty
    // The header in the key = value dialect (first line ENVI): its data type
    // from nbits and pixeltype, skipbytes as its header offset; no padding or gaps.
    bool keyValue = false;
};

// The value of (row, band, column), below 2^nbits (a 64-bit sample holds Wide of it).
using SampleFunction = std::function<std::uint32_t(int row, int band, int column)>;

// The sample written for `value`: the value itself, but for 64-bit samples
// the value in the high half and its complement in the low one, so that every
// byte differs.
std::uint64_t Wide(int nbits, std::uint32_t value);

// Values kept in memory, [row][band][column].
using Samples = std::vector<std::vector<std::vector<std::uint32_t>>>;

// Deterministic values that use the full width of each sample.
Samples MakeSamples(const RasterShape& shape, std::uint32_t seed = 1);
SampleFunction Of(const Samples& samples);

// The header text for `shape`, after an optional comment line (the keyword
// dialect's); row sizes are declared where padding is asked for.
std::string HeaderText(const RasterShape& shape, const std::string& comment = {});

// Hands the data file's bytes to `sink` in file order, one row (BSQ: one band
// row) at a time. Skipped, padding, gap and unused low bits are ones, so that a
// reader that takes them produces wrong values.
void WriteData(const RasterShape& shape, const SampleFunction& samples,
               const std::function<void(const unsigned char*, std::size_t)>& sink);
std::vector<unsigned char> DataBytes(const RasterShape& shape, const SampleFunction& samples);
std::vector<unsigned char> DataBytes(const RasterShape& shape, const Samples& samples);

// Writes the data file `dataPath` and the header beside it; throws
// std::runtime_error naming the file that could not be written.
void WriteRaster(const std::string& dataPath, const RasterShape& shape, const SampleFunction& samples,
                 const std::string& comment = {});

// The lattice row an import delivers for `row`: cells of 1, 2, 4 or 8 bytes
// (by nbits), little-endian, at (column * nbands + band) * cell.
std::vector<unsigned char> LatticeRow(const RasterShape& shape, const Samples& samples, int row);

} // namespace rasters
