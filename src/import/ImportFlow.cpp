// Probing and importing a data file.
#include "format/DataGeometry.h"
#include "format/LatticeGeometry.h"
#include "format/Platform.h"
#include "format/Reporting.h"
#include "import/BndImportFilter.h"
#include "tamsel/Path.h"

namespace fennick {

BndImportFilter::BndImportFilter(orvo::IoManager& manager) : BndFilter(manager) {}

int BndImportFilter::ProbeFile(const char* path)
{
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(path, "rb", kShare, false)) {
        return 0;
    }
    const std::int64_t length = file.GetLength();
    if (length == 0 || ReadHeader(path, true) != 0) {
        return 0;
    }
    const auto geometry = DataGeometry::Of(header, layoutCode);
    return geometry && length == geometry->expectedSize ? 1 : 2;
}

orvo::ImportStatus BndImportFilter::ImportFromFile(const char* path, bool /*flag*/)
{
    if (ReadHeader(path, false) != 0) {
        return orvo::ImportStatus::Stopped;
    }
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(path, "rb", kShare, false)) {
        const std::string reason = platform::UnreadableReason(path, errno);
        if (!reason.empty()) {
            ThrowError(kImportSource, __LINE__, "The data file %s cannot be read (%s).", path, reason.c_str());
        }
        file.Open(path, "rb", kShare, false); // raises the host's error for a missing file
    }

    // The size check counts exactly what the readers will read, so a file it
    // accepts is never read past its end; it runs before anything is allocated.
    const std::int64_t length = file.GetLength();
    const auto geometry = DataGeometry::Of(header, layoutCode);
    if (!geometry || length < geometry->expectedSize) {
        ThrowError(kImportSource, __LINE__,
                   "%s\r\ndoes not appear to be complete according to the information from\r\n%s", path,
                   tamsel::CPath::ChangeExtension(path, ".hdr").c_str());
    }
    if (length > geometry->expectedSize &&
        Warning(tamsel::IError::YesNo,
                "%s is larger than it should be.\r\n\r\nThis can happen if CR/LF translation was performed during "
                "unpacking.  Continue anyway?",
                path) != 1) {
        return orvo::ImportStatus::Declined;
    }

    orvo::TrUniformLattice lattice(sampleType, header.ncols, header.nrows, 1, header.nbands);
    PlaceLattice(header, lattice);
    lattice.zMin = valueMin;
    lattice.dz = valueMax - valueMin;
    lattice.storageOrder = 2;
    lattice.storageFlags = 0;
    SetLatticeInfo(lattice, path);
    if (!ImportObject(lattice)) {
        return orvo::ImportStatus::Stopped;
    }

    const int sampleSize = tamsel::CPrimType::TypeSize[sampleType];
    orvo::CProgress progress(GetIoManager(), nullptr, true, true);
    progress.MessageVA("Importing banded file %s", tamsel::CPath::GetNamePtr(file.GetFileName()));
    orvo::TrLatticeScan scan(lattice);

    int result = 0;
    switch (layoutCode) {
    case BndLayout::BIL: result = ReadBIL(scan, progress, file, sampleSize); break;
    case BndLayout::BIP: result = ReadBIP(scan, progress, file, sampleSize); break;
    case BndLayout::BSQ: result = ReadBSQ(scan, progress, file, sampleSize); break;
    }
    return result == 0 ? orvo::ImportStatus::Done : orvo::ImportStatus::Stopped;
}

} // namespace fennick
