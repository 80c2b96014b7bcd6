// The three layout writers: each encodes a row (BSQ: a band row) into the
// scratch buffer and writes it with one call.
#include "export/BndExportFilter.h"
#include "export/SampleEncoder.h"

namespace fennick {

void BndExportFilter::WriteRow(const unsigned char* row, int valueSize)
{
    switch (layoutCode) {
    case BndLayout::BIL: WriteRowBIL(row, valueSize); break;
    case BndLayout::BIP: WriteRowBIP(row, valueSize); break;
    case BndLayout::BSQ: break; // kept by ExportObject, written by WriteBSQ
    }
}

void BndExportFilter::WriteRowBIL(const unsigned char* row, int valueSize)
{
    const auto columns = static_cast<std::size_t>(header.ncols);
    const auto bands = static_cast<std::size_t>(header.nbands);
    const auto size = static_cast<std::size_t>(valueSize);
    for (std::size_t band = 0; band < bands; ++band) {
        EncodeSamples(sourceType, row + band * size, bands * size, columns,
                      encoded_.get() + band * columns * kWrittenSampleSize);
    }
    dataFile.Write(encoded_.get(), static_cast<unsigned int>(columns * bands * kWrittenSampleSize));
}

void BndExportFilter::WriteRowBIP(const unsigned char* row, int valueSize)
{
    const auto values = static_cast<std::size_t>(header.ncols) * static_cast<std::size_t>(header.nbands);
    EncodeSamples(sourceType, row, static_cast<std::size_t>(valueSize), values, encoded_.get());
    dataFile.Write(encoded_.get(), static_cast<unsigned int>(values * kWrittenSampleSize));
}

void BndExportFilter::WriteBSQ(const unsigned char* buffer, int valueSize)
{
    const auto columns = static_cast<std::size_t>(header.ncols);
    const auto bands = static_cast<std::size_t>(header.nbands);
    const auto size = static_cast<std::size_t>(valueSize);
    const auto stride = static_cast<std::size_t>(rowBytes);
    if (columns == 0) {
        return; // empty band rows: nothing to write, however many there are
    }
    for (std::size_t band = 0; band < bands; ++band) {
        for (std::size_t row = 0; row < static_cast<std::size_t>(header.nrows); ++row) {
            EncodeSamples(sourceType, buffer + row * stride + band * size, bands * size, columns, encoded_.get());
            dataFile.Write(encoded_.get(), static_cast<unsigned int>(columns * kWrittenSampleSize));
        }
    }
}

} // namespace fennick
