// The three layout writers: BIL and BIP encode a row into the scratch buffer
// and write it with one call; BSQ gathers band rows in its band window.
#include "export/BandSplit.h"
#include "export/BndExportFilter.h"
#include "export/SampleEncoder.h"

namespace fennick {

namespace {
constexpr auto kSampleBytes = static_cast<std::int64_t>(kWrittenSampleSize);
} // namespace

void BndExportFilter::WriteRow(const unsigned char* row, int valueSize)
{
    switch (layoutCode) {
    case BndLayout::BIL: WriteRowBIL(row, valueSize); break;
    case BndLayout::BIP: WriteRowBIP(row, valueSize); break;
    case BndLayout::BSQ: WriteRowBSQ(row, valueSize); break;
    }
}

void BndExportFilter::EncodeBandRows(const unsigned char* row, std::size_t valueSize, unsigned char* target,
                                     std::size_t bandDistance) const
{
    const auto columns = static_cast<std::size_t>(header.ncols);
    const auto bands = static_cast<std::size_t>(header.nbands);
    if (SplitBands(sourceType, row, bands, columns, target, bandDistance)) {
        return;
    }
    for (std::size_t band = 0; band < bands; ++band) {
        EncodeSamples(sourceType, row + band * valueSize, bands * valueSize, columns, target + band * bandDistance);
    }
}

void BndExportFilter::WriteRowBIL(const unsigned char* row, int valueSize)
{
    const auto columns = static_cast<std::size_t>(header.ncols);
    const auto bands = static_cast<std::size_t>(header.nbands);
    const auto size = static_cast<std::size_t>(valueSize);
    EncodeBandRows(row, size, encoded_.get(), columns * kWrittenSampleSize);
    dataFile.Write(encoded_.get(), static_cast<unsigned int>(columns * bands * kWrittenSampleSize));
}

void BndExportFilter::WriteRowBIP(const unsigned char* row, int valueSize)
{
    const auto values = static_cast<std::size_t>(header.ncols) * static_cast<std::size_t>(header.nbands);
    EncodeSamples(sourceType, row, static_cast<std::size_t>(valueSize), values, encoded_.get());
    dataFile.Write(encoded_.get(), static_cast<unsigned int>(values * kWrittenSampleSize));
}

void BndExportFilter::WriteRowBSQ(const unsigned char* row, int valueSize)
{
    const auto size = static_cast<std::size_t>(valueSize);
    const auto bandRowBytes = static_cast<std::size_t>(header.ncols) * kWrittenSampleSize;
    if (windowFilled_ == 0) {
        windowFirst_ = rowIndex;
    }
    const auto slot = static_cast<std::size_t>(windowFilled_);
    const auto windowRows = static_cast<std::size_t>(windowRows_);
    EncodeBandRows(row, size, encoded_.get() + slot * bandRowBytes, windowRows * bandRowBytes);
    if (++windowFilled_ == windowRows_ || rowIndex + 1 == rowCount) {
        WriteBSQ();
    }
}

// Band b of row r lies at ((b x nrows + r) x ncols) x 4: the window's rows of
// one band are consecutive there, so each band is one write.
void BndExportFilter::WriteBSQ()
{
    const std::int64_t bandRowBytes = std::int64_t{header.ncols} * kSampleBytes;
    for (std::int64_t band = 0; band < header.nbands && windowFilled_ > 0; ++band) {
        dataFile.Seek((band * header.nrows + windowFirst_) * bandRowBytes, tamsel::CBufferedFile::Begin);
        dataFile.Write(encoded_.get() + band * windowRows_ * bandRowBytes,
                       static_cast<unsigned int>(windowFilled_ * bandRowBytes));
    }
    windowFilled_ = 0;
}

void BndExportFilter::CompleteBSQ()
{
    const std::int64_t size = std::int64_t{header.nbands} * header.nrows * std::int64_t{header.ncols} * kSampleBytes;
    if (size > 0 && dataFile.GetLength() < size) {
        // Nothing was written at the last byte, so it is one of the zeros.
        const unsigned char zero = 0;
        dataFile.Seek(size - 1, tamsel::CBufferedFile::Begin);
        dataFile.Write(&zero, 1);
    }
}

} // namespace fennick
