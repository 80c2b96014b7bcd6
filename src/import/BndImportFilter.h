// The import filter: from a banded-raster data file to a lattice in the host.
#pragma once

#include "format/DataPlan.h"
#include "format/HeaderReader.h"
#include "orvo/IoFilter.h"
#include "orvo/Progress.h"
#include "orvo/Transferable.h"
#include "plugin/BndFilter.h"
#include "tamsel/BufferedFile.h"

namespace fennick {

class BndImportFilter final : public BndFilter<orvo::IoImportFilter> {
public:
    explicit BndImportFilter(orvo::IoManager& manager);

    // 0 not a banded raster, 1 the data file has the size its header implies, 2 it differs.
    int ProbeFile(const char* path) override;
    orvo::ImportStatus ImportFromFile(const char* path, bool flag) override;

    // Reads the header beside `dataPath`, then its world and statistics
    // files, into `description`, starting again from the defaults. 0 when all
    // was read, 1 when not; with `quiet` every failure returns 1.
    int ReadHeader(const char* dataPath, bool quiet);

    // Stores the import summary under "LatticeInfo" in the lattice's parameters.
    void SetLatticeInfo(orvo::TrUniformLattice& lattice, const char* name);
    // Stores the facts of the files read under the keys of fennick/Facts.h.
    void SetLatticeFacts(orvo::TrUniformLattice& lattice, std::int64_t dataSize, std::int64_t describedSize) const;

    // The header record with the values derived from it and the value range,
    // as the last ReadHeader left them.
    BndDescription description;

private:
    // Delivers every row of the data file to the host, top row first: Done,
    // or Stopped when the user cancelled or the host refused a row.
    orvo::ImportStatus ReadRows(const DataPlan& plan, orvo::TrLatticeScan& scan, orvo::CProgress& progress,
                                tamsel::CBufferedFile& file);
};

} // namespace fennick
