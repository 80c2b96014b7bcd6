// Probing and importing a data file.

#include "files/Platform.h"
#include "format/LatticeGeometry.h"
#include "format/RasterFit.h"
#include "import/BndImportFilter.h"
#include "support/Reporting.h"
#include "tamsel/Path.h"

namespace fennick {

BndImportFilter::BndImportFilter(orvo::IoManager& manager) : BndFilter(manager) {}

int BndImportFilter::ReadHeader(const char* dataPath, bool quiet)
{
    return ReadDescription(dataPath, quiet, description);
}

int BndImportFilter::ProbeFile(const char* path)
{
    const RasterFit fit = FitOf(path, description);
    return fit == RasterFit::None ? 0 : fit == RasterFit::Exact ? 1 : 2;
}

orvo::ImportStatus BndImportFilter::ImportFromFile(const char* path, bool /*flag*/)
{
    if (ReadHeader(path, false) != 0) {
        return orvo::ImportStatus::Stopped;
    }
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(path, "rb", kShare, false)) {
        const std::string reason = platform::UnreadableReason(path, platform::LastSystemError());
        if (!reason.empty()) {
            ThrowError(kImportSource, __LINE__, "The data file %s cannot be read (%s).", path, reason.c_str());
        }
        file.Open(path, "rb", kShare, false); // raises the host's error for a missing file
    }

    // The plan counts exactly what the rows will read, so a file of its size
    // is never read past its end; it is checked before anything is allocated.
    const BndHeader& header = description.header;
    const std::int64_t length = file.GetLength();
    const auto plan = DataPlan::Of(header, description.layoutCode);
    if (!plan || length < plan->geometry.expectedSize) {
        ThrowError(kImportSource, __LINE__,
                   "%s\r\ndoes not appear to be complete according to the information from\r\n%s", path,
                   description.headerFile.c_str());
    }
    if (length > plan->geometry.expectedSize &&
        Warning(tamsel::IError::YesNo,
                "%s is larger than it should be.\r\n\r\nThis can happen if CR/LF translation was performed during "
                "unpacking.  Continue anyway?",
                path) != 1) {
        return orvo::ImportStatus::Declined;
    }

    orvo::TrUniformLattice lattice(description.sampleType, header.ncols, header.nrows, 1, header.nbands);
    PlaceLattice(header, lattice);
    lattice.zMin = description.valueMin;
    lattice.dz = description.valueMax - description.valueMin;
    lattice.storageOrder = 2;
    lattice.storageFlags = 0;
    SetLatticeInfo(lattice, path);
    SetLatticeFacts(lattice, length, plan->geometry.expectedSize);
    if (!ImportObject(lattice)) {
        return orvo::ImportStatus::Stopped;
    }

    orvo::CProgress progress(GetIoManager(), nullptr, true, true);
    progress.MessageVA("Importing banded file %s", tamsel::CPath::GetNamePtr(file.GetFileName()));
    orvo::TrLatticeScan scan(lattice);
    return ReadRows(*plan, scan, progress, file);
}

} // namespace fennick
