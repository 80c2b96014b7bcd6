// The writer of all three layouts: a row is encoded into the window as the
// plan lays it out; BIL and BIP rows then go to the end of the file at once,
// BSQ band rows wait in the window and go to their offsets a window at a time.
#include "export/BndExportFilter.h"
#include "export/SampleEncoder.h"

namespace fennick {

void BndExportFilter::WriteRow(const unsigned char* row)
{
    const DataGeometry& g = plan_.geometry;
    if (windowFilled_ == 0) {
        windowFirst_ = rowIndex;
    }
    unsigned char* slot = encoded_.get() + windowFilled_ * g.rowStride;
    if (g.runsPerRow == 1) { // BIP, or one band: the values in their order
        EncodeSamples(sourceType, row, static_cast<std::size_t>(sourceSize), static_cast<std::size_t>(g.runSamples),
                      slot);
    } else {
        EncodeBands(sourceType, row, static_cast<std::size_t>(g.runsPerRow), static_cast<std::size_t>(g.runSamples),
                    slot, static_cast<std::size_t>(plan_.runDistance));
    }
    if (++windowFilled_ == plan_.windowRows || rowIndex + 1 == header.nrows) {
        WriteWindow();
    }
}

void BndExportFilter::WriteWindow()
{
    const DataGeometry& g = plan_.geometry;
    if (windowFilled_ == 0) {
        return;
    }
    if (!g.bandSequential) { // a window of one row, written where the last one ended
        dataFile.Write(encoded_.get(), static_cast<unsigned int>(plan_.bufferBytes));
    }
    for (std::int64_t band = 0; g.bandSequential && band < g.runsPerRow; ++band) {
        dataFile.Seek(g.RunOffset(windowFirst_, band), tamsel::CBufferedFile::Begin);
        dataFile.Write(encoded_.get() + band * plan_.runDistance,
                       static_cast<unsigned int>(plan_.WindowSpan(windowFilled_)));
    }
    windowFilled_ = 0;
}

void BndExportFilter::FillToSize()
{
    const std::int64_t size = plan_.geometry.expectedSize;
    if (size > 0 && dataFile.GetLength() < size) {
        // Nothing was written at the last byte, so it is one of the zeros.
        const unsigned char zero = 0;
        dataFile.Seek(size - 1, tamsel::CBufferedFile::Begin);
        dataFile.Write(&zero, 1);
    }
}

} // namespace fennick
