// The three layout readers. They differ only in where a row's samples lie in
// the file (DataGeometry::RunOffset) and where a run's samples go in the
// lattice row, so they share one row loop.
#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <new>

#include "format/DataGeometry.h"
#include "format/Reporting.h"
#include "import/BndImportFilter.h"
#include "import/SampleDecoder.h"
#include "tamsel/Format.h"

namespace fennick {

namespace {

// Reads exactly `count` bytes or raises code 8 with the system's reason, or
// "Premature end of file." when the file simply ended.
void ReadExactly(tamsel::CBufferedFile& file, unsigned char* buffer, std::int64_t count)
{
    constexpr std::int64_t chunk = std::int64_t{1} << 30;
    while (count > 0) {
        const auto part = static_cast<unsigned int>(std::min(count, chunk));
        if (file.Read(buffer, part) != part) {
            const std::string reason = errno != 0 ? tamsel::FormatSystemErrorMsg() : "Premature end of file.";
            orvo::IoFilter::ThrowError(kImportSource, __LINE__, orvo::ErrReadFailed, file.GetFileName(),
                                       reason.c_str());
        }
        buffer += part;
        count -= part;
    }
}

} // namespace

int BndImportFilter::ReadBIL(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file,
                             int sampleSize)
{
    return ReadRows(scan, progress, file, sampleSize);
}

int BndImportFilter::ReadBIP(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file,
                             int sampleSize)
{
    return ReadRows(scan, progress, file, sampleSize);
}

int BndImportFilter::ReadBSQ(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file,
                             int sampleSize)
{
    return ReadRows(scan, progress, file, sampleSize);
}

// For each row: report progress every ten rows, read the row's runs, decode
// them into the scan's row, hand the row over.
//
// Whole-byte samples of one run per row (BIP, or one band) are read straight
// into the row. Otherwise the runs are read into one buffer and interleaved
// from there; a BSQ file with several bands reads each band's rows a window at
// a time, so that short band rows do not cost a distant seek each.
int BndImportFilter::ReadRows(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file,
                              int sampleSize)
{
    const auto geometry = DataGeometry::Of(header, layoutCode);
    if (!geometry) {
        ThrowError(kImportSource, __LINE__, orvo::ErrReadFailed, file.GetFileName(), "Premature end of file.");
    }
    const auto cell = static_cast<std::size_t>(sampleSize);
    const auto samples = static_cast<std::size_t>(geometry->runSamples);
    const std::int64_t runs = geometry->runsPerRow;
    const bool inPlace = header.nbits >= 8 && runs == 1;
    std::int64_t windowRows = 1;
    if (layoutCode == BndLayout::BSQ && runs > 1) {
        windowRows = std::clamp<std::int64_t>(
            kBandWindowBytes / std::max<std::int64_t>(runs * geometry->bandRowStride, 1), 1, header.nrows);
    }
    // Each run's slot holds windowRows band rows, the last without its
    // padding. A BIL row's runs lie one band-row stride apart in the file, so
    // they are read together and keep that distance in the buffer.
    const std::int64_t slot = (windowRows - 1) * geometry->bandRowStride + geometry->runBytes;
    const bool wholeRow = layoutCode == BndLayout::BIL && runs > 1;
    const std::int64_t distance = wholeRow ? geometry->bandRowStride : slot;
    std::unique_ptr<unsigned char[]> buffer;
    std::int64_t bufferBytes = 0;
    if (!inPlace) {
        if (__builtin_mul_overflow(runs - 1, distance, &bufferBytes) ||
            __builtin_add_overflow(bufferBytes, slot, &bufferBytes)) {
            bufferBytes = -1;
        }
        if (bufferBytes >= 0) {
            buffer.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(bufferBytes)]);
        }
        if (!buffer) {
            ThrowError(
                kImportSource, __LINE__, "Not enough memory to read %s: one row needs %lld bytes.", file.GetFileName(),
                static_cast<long long>(bufferBytes >= 0 ? bufferBytes : std::numeric_limits<std::int64_t>::max()));
        }
    }

    std::int64_t windowStart = 0;
    for (std::int32_t row = 0; row < header.nrows; ++row) {
        if (row % 10 == 0 && !progress.Proportion(static_cast<double>(row) / header.nrows)) {
            return 1;
        }
        unsigned char* target = scan.rowBuffer;
        if (inPlace) {
            file.Seek(geometry->RunOffset(row, 0), tamsel::CBufferedFile::Begin);
            ReadExactly(file, target, geometry->runBytes);
            DecodeSamples(target, samples, header.nbits, swapBytes, target, cell);
        } else {
            if (row - windowStart >= windowRows || row == 0) {
                windowStart = row;
                const std::int64_t rowsHere = std::min<std::int64_t>(windowRows, header.nrows - row);
                const std::int64_t span = (rowsHere - 1) * geometry->bandRowStride + geometry->runBytes;
                if (wholeRow) {
                    file.Seek(geometry->RunOffset(row, 0), tamsel::CBufferedFile::Begin);
                    ReadExactly(file, buffer.get(), bufferBytes);
                } else {
                    for (std::int64_t r = 0; r < runs; ++r) {
                        file.Seek(geometry->RunOffset(row, r), tamsel::CBufferedFile::Begin);
                        ReadExactly(file, buffer.get() + r * distance, span);
                    }
                }
            }
            const unsigned char* first = buffer.get() + (row - windowStart) * geometry->bandRowStride;
            if (runs == 1) {
                DecodeSamples(first, samples, header.nbits, swapBytes, target, cell);
            } else {
                DecodeBands(first, static_cast<std::size_t>(distance), static_cast<std::size_t>(runs), samples,
                            header.nbits, swapBytes, target, cell);
            }
        }
        if (!ImportObject(scan)) {
            return 1;
        }
    }
    return 0;
}

} // namespace fennick
