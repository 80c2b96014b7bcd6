// The reader of all three layouts. BIL, BIP and BSQ differ only in where a
// row's runs lie in the file and in the buffer, which the plan says, so they
// share one row loop.
#include <algorithm>
#include <memory>
#include <new>

#include "files/Platform.h"
#include "import/BndImportFilter.h"
#include "import/SampleDecoder.h"
#include "support/Reporting.h"
#include "tamsel/Format.h"

namespace fennick {

namespace {

// Reads exactly `count` bytes at `offset` or raises code 8 with the system's
// reason, or "Premature end of file." when the file simply ended.
void ReadExactly(tamsel::CBufferedFile& file, std::int64_t offset, unsigned char* buffer, std::int64_t count)
{
    constexpr std::int64_t chunk = std::int64_t{1} << 30;
    file.Seek(offset, tamsel::CBufferedFile::Begin);
    while (count > 0) {
        const auto part = static_cast<unsigned int>(std::min(count, chunk));
        if (file.Read(buffer, part) != part) {
            const std::string reason =
                platform::LastSystemError() != 0 ? tamsel::FormatSystemErrorMsg() : "Premature end of file.";
            orvo::IoFilter::ThrowError(kImportSource, __LINE__, orvo::ErrReadFailed, file.GetFileName(),
                                       reason.c_str());
        }
        buffer += part;
        count -= part;
    }
}

} // namespace

// For each row: report progress every ten rows, read the row's runs, decode
// them into the scan's row, hand the row over.
//
// A run of whole-byte samples that is the whole row is read straight into the
// row. Otherwise a window of each run is read into the buffer (one row, but
// several rows of each band for BSQ, so that short band rows do not cost a
// distant seek each) and the row is decoded from there.
orvo::ImportStatus BndImportFilter::ReadRows(const DataPlan& plan, orvo::TrLatticeScan& scan, orvo::CProgress& progress,
                                             tamsel::CBufferedFile& file)
{
    const DataGeometry& g = plan.geometry;
    const BndHeader& header = description.header;
    const auto cell = static_cast<std::size_t>(tamsel::CPrimType::TypeSize[description.sampleType]);
    const auto samples = static_cast<std::size_t>(g.runSamples);
    const auto runs = static_cast<std::size_t>(g.runsPerRow);
    const auto distance = static_cast<std::size_t>(plan.runDistance);
    std::unique_ptr<unsigned char[]> buffer;
    if (!plan.inPlace) {
        buffer.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(plan.bufferBytes)]);
        const auto bytes = static_cast<long long>(plan.bufferBytes);
        if (!buffer && g.bandSequential) {
            ThrowError(kImportSource, __LINE__,
                       "Not enough memory to read %s: its window of %lld rows of each band needs %lld bytes.",
                       file.GetFileName(), static_cast<long long>(plan.windowRows), bytes);
        }
        if (!buffer) {
            ThrowError(kImportSource, __LINE__, "Not enough memory to read %s: one row needs %lld bytes.",
                       file.GetFileName(), bytes);
        }
    }

    // Rows go to the host north first: the file's last row first when its
    // rows run upward, each window then ending at the row delivered first.
    const bool upward = description.rowsUpward;
    std::int64_t windowStart = 0;
    std::int64_t windowFileRow = 0; // the file row in the window's first slot
    for (std::int32_t row = 0; row < header.nrows; ++row) {
        if (row % 10 == 0 && !progress.Proportion(static_cast<double>(row) / header.nrows)) {
            return orvo::ImportStatus::Stopped;
        }
        const std::int64_t fileRow = upward ? g.rows - 1 - row : row;
        unsigned char* target = scan.rowBuffer;
        if (plan.inPlace) {
            ReadExactly(file, g.RunOffset(fileRow, 0), target, g.runBytes);
            DecodeSamples(target, samples, header.nbits, description.swapBytes, target, cell);
        } else {
            if (row == 0 || row - windowStart >= plan.windowRows) {
                windowStart = row;
                const std::int64_t rows = std::min<std::int64_t>(plan.windowRows, g.rows - row);
                const std::int64_t span = plan.WindowSpan(rows);
                windowFileRow = upward ? fileRow - rows + 1 : fileRow;
                if (plan.RunsTogether()) {
                    ReadExactly(file, g.RunOffset(windowFileRow, 0), buffer.get(),
                                (g.runsPerRow - 1) * plan.runDistance + span);
                } else {
                    for (std::int64_t r = 0; r < g.runsPerRow; ++r) {
                        ReadExactly(file, g.RunOffset(windowFileRow, r), buffer.get() + r * plan.runDistance, span);
                    }
                }
            }
            const unsigned char* first = buffer.get() + (fileRow - windowFileRow) * g.rowStride;
            DecodeBands(first, distance, runs, samples, header.nbits, description.swapBytes, target, cell);
        }
        if (!ImportObject(scan)) {
            return orvo::ImportStatus::Stopped;
        }
    }
    return orvo::ImportStatus::Done;
}

} // namespace fennick
