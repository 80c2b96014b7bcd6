// The import filter: from a banded-raster data file to a lattice in the host.
#pragma once

#include <string>

#include "format/BndHeader.h"
#include "orvo/IoFilter.h"
#include "orvo/Progress.h"
#include "orvo/Transferable.h"
#include "plugin/BndFilter.h"
#include "tamsel/BufferedFile.h"
#include "tamsel/PrimType.h"

namespace fennick {

class BndImportFilter final : public BndFilter<orvo::IoImportFilter> {
public:
    explicit BndImportFilter(orvo::IoManager& manager);

    // 0 not a banded raster, 1 the data file has the size its header implies, 2 it differs.
    int ProbeFile(const char* path) override;
    orvo::ImportStatus ImportFromFile(const char* path, bool flag) override;

    // Reads the header beside `dataPath`, then its world and statistics files
    // (ReadDescription), into the members below. 0 when all was read, 1 when
    // not; with `quiet` every failure returns 1.
    int ReadHeader(const char* dataPath, bool quiet);
    // Reports a malformed line of `path`: 1 when quiet, else raises code 23.
    int RecordError(const char* sourceFile, int sourceLine, const char* path, bool quiet, int lineNumber);

    // Stores the import summary under "LatticeInfo" in the lattice's parameters.
    void SetLatticeInfo(orvo::TrUniformLattice& lattice, const char* name);

    // Deliver every row of the data file to the host, top row first. 0 when all
    // rows were delivered, 1 when the user cancelled or the host refused a row.
    int ReadBIL(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file, int sampleSize);
    int ReadBIP(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file, int sampleSize);
    int ReadBSQ(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file, int sampleSize);

    // Set by ReadHeader; every read starts again from these initial values.
    BndHeader header;
    double valueMin = 0.0;
    double valueMax = 1.0;
    BndLayout layoutCode = BndLayout::BIL;
    tamsel::CPrimType sampleType = tamsel::CPrimType::Int8;
    bool swapBytes = false;

private:
    int ReadRows(orvo::TrLatticeScan& scan, orvo::CProgress& progress, tamsel::CBufferedFile& file, int sampleSize);
};

} // namespace fennick
