// The three layout readers. They differ only in where a row's samples lie in
// the file (DataGeometry::RunOffset) and where a run's samples go in the
// lattice row, so they share one row loop.
#include <algorithm>
#include <cerrno>
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

// For each row: report progress every ten rows, read each of the row's runs
// with one read at its offset, decode it into the scan's row, hand the row over.
int BndImportFilter::ReadRows(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file,
                              int sampleSize)
{
    const auto geometry = DataGeometry::Of(header, layoutCode);
    if (!geometry) {
        ThrowError(kImportSource, __LINE__, orvo::ErrReadFailed, file.GetFileName(), "Premature end of file.");
    }
    const auto cell = static_cast<std::size_t>(sampleSize);
    // BIP runs hold whole rows in the lattice's own order; BIL and BSQ runs hold one band.
    const std::size_t stride = layoutCode == BndLayout::BIP ? cell : cell * static_cast<std::size_t>(header.nbands);
    const auto samples = static_cast<std::size_t>(geometry->runSamples);
    // Whole-byte samples whose cells are adjacent are read straight into the
    // row; the others go through one run of file bytes.
    const bool inPlace = header.nbits >= 8 && stride == cell;
    std::unique_ptr<unsigned char[]> run;
    if (!inPlace) {
        run.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(geometry->runBytes)]);
        if (!run) {
            ThrowError(kImportSource, __LINE__, "Not enough memory to read %s: one row needs %lld bytes.",
                       file.GetFileName(), static_cast<long long>(geometry->runBytes));
        }
    }

    for (std::int32_t row = 0; row < header.nrows; ++row) {
        if (row % 10 == 0 && !progress.Proportion(static_cast<double>(row) / header.nrows)) {
            return 1;
        }
        unsigned char* target = scan.rowBuffer;
        for (std::int64_t r = 0; r < geometry->runsPerRow; ++r) {
            unsigned char* cells = target + static_cast<std::size_t>(r) * cell;
            file.Seek(geometry->RunOffset(row, r), tamsel::CBufferedFile::Begin);
            ReadExactly(file, inPlace ? cells : run.get(), geometry->runBytes);
            DecodeSamples(inPlace ? cells : run.get(), samples, header.nbits, swapBytes, cells, stride);
        }
        if (!ImportObject(scan)) {
            return 1;
        }
    }
    return 0;
}

} // namespace fennick
