// The export filter: from a lattice and its rows to a data file and its header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "format/BndHeader.h"
#include "orvo/IoFilter.h"
#include "orvo/Progress.h"
#include "orvo/Transferable.h"
#include "plugin/BndFilter.h"
#include "tamsel/BufferedFile.h"
#include "tamsel/PrimType.h"

namespace fennick {

class BndExportFilter final : public BndFilter<orvo::IoExportFilter> {
public:
    explicit BndExportFilter(orvo::IoManager& manager);
    // Abandons an export that was begun and not ended, then releases what it owns.
    ~BndExportFilter() override;

    orvo::ExportStatus BeginExport(const char* path, bool flag) override;
    orvo::ExportStatus ExportObject(orvo::TrBase& object) override;
    orvo::ExportStatus EndExport() override;

    // Writes the header file beside `outputPath` from `header`.
    void WriteHeader();

    // Write one delivered row: BIL and BIP at the end of the file; BSQ encodes
    // its band rows into the band window, which WriteBSQ writes at their offsets.
    void WriteRow(const unsigned char* row, int valueSize);
    void WriteRowBIL(const unsigned char* row, int valueSize);
    void WriteRowBIP(const unsigned char* row, int valueSize);
    void WriteRowBSQ(const unsigned char* row, int valueSize);
    // Encodes a row's band rows, band b's at `target` + b x `bandDistance`.
    void EncodeBandRows(const unsigned char* row, std::size_t valueSize, unsigned char* target,
                        std::size_t bandDistance) const;
    // Writes the band window's rows, each band's at its place in the file.
    void WriteBSQ();
    // Extends the BSQ file to its full size: rows that never arrived are zeros.
    void CompleteBSQ();

    BndHeader header;
    BndLayout layoutCode = BndLayout::BIL;
    std::string outputPath;
    tamsel::CBufferedFile dataFile;
    std::unique_ptr<orvo::CProgress> progress;
    std::unique_ptr<orvo::TrBase> lattice; // the filter's own copy of the lattice
    std::int32_t rowBytes = 0;             // bytes of one delivered row
    std::int32_t rowCount = 0;             // rows that go into the data file
    std::int32_t progressTotal = 0;        // rows the host delivers (rows x planes)
    std::int32_t rowIndex = -1;            // rows received since the lattice; -1 before it
    tamsel::CPrimType sourceType = tamsel::CPrimType::UInt8;
    const tamsel::CPrimType targetType = tamsel::CPrimType::UInt32;
    std::int32_t sourceSize = 0;
    const std::int32_t targetSize = tamsel::CPrimType::TypeSize[tamsel::CPrimType::UInt32];
    std::int32_t latticeCount = 0;

private:
    orvo::ExportStatus TakeLattice(orvo::TrUniformLattice& source);
    orvo::ExportStatus TakeRow(const orvo::TrLatticeScan& scan);

    // Encoded rows, allocated once per lattice: one row for BIL and BIP; for
    // BSQ the band window, windowRows_ consecutive band rows of each band
    // (band b's at b x windowRows_ band rows), so that short band rows reach
    // the file in long runs.
    std::unique_ptr<unsigned char[]> encoded_;
    std::int64_t windowRows_ = 1;
    std::int64_t windowFirst_ = 0;  // the row in the window's first slot
    std::int64_t windowFilled_ = 0; // rows in the window not yet written
};

} // namespace fennick
