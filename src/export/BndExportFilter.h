// The export filter: from a lattice and its rows to a data file and its header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "export/StagedRaster.h"
#include "format/BndHeader.h"
#include "format/DataPlan.h"
#include "orvo/IoFilter.h"
#include "orvo/Progress.h"
#include "orvo/Transferable.h"
#include "plugin/BndFilter.h"
#include "tamsel/BufferedFile.h"
#include "tamsel/PrimType.h"

namespace fennick {

// An export writes its files under temporary names (StagedRaster) and puts
// them in place only when EndExport completes: a failure, a stop, a new
// BeginExport, an EndExport without a lattice and the filter's destruction
// all leave the previous raster as it was.
class BndExportFilter final : public BndFilter<orvo::IoExportFilter> {
public:
    explicit BndExportFilter(orvo::IoManager& manager);
    // Abandons an export that was begun and not ended, then releases what it owns.
    ~BndExportFilter() override;

    orvo::ExportStatus BeginExport(const char* path, bool flag) override;
    orvo::ExportStatus ExportObject(orvo::TrBase& object) override;
    orvo::ExportStatus EndExport() override;

    // Writes the staged header file of `outputPath` from `header`.
    void WriteHeader();

    BndHeader header;
    BndLayout layoutCode = BndLayout::BIL;
    std::string outputPath;
    tamsel::CBufferedFile dataFile;
    std::unique_ptr<orvo::CProgress> progress;
    std::int32_t rowBytes = 0;      // bytes of one delivered row
    std::int32_t progressTotal = 0; // rows the host delivers (rows x planes)
    std::int32_t rowIndex = -1;     // rows received since the lattice; -1 before it
    tamsel::CPrimType sourceType = tamsel::CPrimType::UInt8;
    std::int32_t sourceSize = 0;
    std::int32_t latticeCount = 0;

private:
    // Returns every member to its state at construction, giving up the
    // export in progress, if any: its temporaries are removed and its
    // progress display stopped. The one place the export's state is reset.
    void Reset() noexcept;
    // Runs `work`, which writes the staged files; when it raises, resets
    // the export and raises again naming the paths the host gave.
    template <class Work>
    void Guarded(int line, Work&& work);

    orvo::ExportStatus TakeLattice(orvo::TrUniformLattice& source);
    orvo::ExportStatus TakeRow(const orvo::TrLatticeScan& scan);

    // Encodes a delivered row into the window.
    void WriteRow(const unsigned char* row);
    // Writes the window's rows to the file and empties it.
    void WriteWindow();
    // Extends a BSQ file to its full size: rows that never arrived are zeros.
    void FillToSize();

    // Where the current lattice's rows go, and the window of encoded rows
    // (plan_.bufferBytes, allocated once per lattice): one row for BIL and
    // BIP, up to plan_.windowRows band rows of each band for BSQ.
    std::unique_ptr<StagedRaster> staged_; // the export in progress, from BeginExport to EndExport
    bool stopped_ = false;                 // the user stopped it: it takes nothing more
    DataPlan plan_;
    std::unique_ptr<unsigned char[]> encoded_;
    std::int64_t windowFirst_ = 0;  // the row in the window's first slot
    std::int64_t windowFilled_ = 0; // rows in the window not yet written
};

} // namespace fennick
