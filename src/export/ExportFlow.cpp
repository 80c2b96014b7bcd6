// Beginning, feeding and ending an export.
#include <cstring>
#include <exception>
#include <limits>
#include <new>

#include "export/BndExportFilter.h"
#include "export/SampleEncoder.h"
#include "files/Platform.h"
#include "files/RasterFiles.h"
#include "format/HeaderCompletion.h"
#include "format/HeaderWriter.h"
#include "format/LatticeGeometry.h"
#include "support/Reporting.h"
#include "tamsel/Path.h"

namespace fennick {

BndExportFilter::BndExportFilter(orvo::IoManager& manager) : BndFilter(manager) {}

BndExportFilter::~BndExportFilter()
{
    Reset();
}

void BndExportFilter::Reset() noexcept
{
    dataFile.Abort(false);
    staged_.reset();
    progress.reset();
    encoded_.reset();
    stopped_ = false;
    outputPath.clear();
    header = BndHeader{};
    layoutCode = BndLayout::BIL;
    rowBytes = 0;
    progressTotal = 0;
    rowIndex = -1;
    sourceType = tamsel::CPrimType::UInt8;
    sourceSize = 0;
    latticeCount = 0;
    plan_ = DataPlan{};
    windowFirst_ = 0;
    windowFilled_ = 0;
}

template <class Work>
void BndExportFilter::Guarded(int line, Work&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        // The host's file class names the file it writes: a temporary.
        const std::string text = staged_ ? staged_->AsGiven(error.what()) : error.what();
        Reset();
        ThrowError(kExportSource, line, "%s", text.c_str());
    } catch (...) {
        Reset();
        throw;
    }
}

orvo::ExportStatus BndExportFilter::BeginExport(const char* path, bool /*flag*/)
{
    if (!IsDataPath(path)) {
        return orvo::ExportStatus::Stopped;
    }
    Reset(); // an export that never ended is given up as the destructor would
    outputPath = path;
    layoutCode = LayoutOfExtension(tamsel::CPath::GetExtensionPtr(path));
    staged_ = std::make_unique<StagedRaster>(outputPath);
    Guarded(__LINE__, [&] { dataFile.Open(staged_->DataTemporary().c_str(), "wb", kShare, false); });
    progress = std::make_unique<orvo::CProgress>(GetIoManager(), nullptr, true, true);
    progress->MessageVA("Exporting to Banded format file %s", tamsel::CPath::GetNamePtr(path));
    return orvo::ExportStatus::Done;
}

orvo::ExportStatus BndExportFilter::ExportObject(orvo::TrBase& object)
{
    const tamsel::CTypeInfo* type = object.GetTypeId();
    if (type == orvo::TrUniformLattice::GetClassTypeId()) {
        return TakeLattice(static_cast<orvo::TrUniformLattice&>(object));
    }
    if (type == orvo::TrLatticeScan::GetClassTypeId()) {
        return TakeRow(static_cast<const orvo::TrLatticeScan&>(object));
    }
    return orvo::ExportStatus::NotHandled;
}

// Checks the lattice as the header it gives, and every size it implies, and
// allocates what it needs before any state changes, so that a lattice that
// cannot be exported leaves the export as it was. One the import would not
// read back (fewer than 2 rows or columns) is refused with an error.
orvo::ExportStatus BndExportFilter::TakeLattice(orvo::TrUniformLattice& source)
{
    if (!staged_ || !IsEncodable(source.elementType) || source.planes < 1) {
        return orvo::ExportStatus::NotHandled;
    }
    if (stopped_) {
        return orvo::ExportStatus::Stopped;
    }
    const ElementType& type = *ElementTypeOf(source.elementType);
    BndHeader described;
    DescribeLattice(source, described);
    described.nbits = 32;
    std::strcpy(described.layout, LayoutName(layoutCode));
    if (const auto fault = CheckHeader(described, layoutCode, SampleTypeOf(32, type.writtenAs))) {
        if (fault->kind == HeaderFault::TooFewCells) {
            ThrowError(kExportSource, __LINE__,
                       "The lattice has %d rows and %d columns: a banded raster needs at least 2 of each, so %s "
                       "is not written.",
                       source.rows, source.columns, outputPath.c_str());
        }
        return orvo::ExportStatus::NotHandled;
    }
    const auto plan = DataPlan::Of(described, layoutCode, {type.bytes, source.planes});
    std::unique_ptr<unsigned char[]> window;
    if (plan && plan->FitsHostSizes()) {
        window.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(plan->bufferBytes)]);
    }
    if (!window) {
        return orvo::ExportStatus::NotHandled;
    }
    // A BSQ file holds only its last lattice: start it again, empty, so that
    // the rows this one never delivers are zeros.
    if (plan->geometry.bandSequential && latticeCount > 0) {
        Guarded(__LINE__, [&] { dataFile.Open(staged_->DataTemporary().c_str(), "wb", kShare, false); });
    }

    source.storageOrder = 2;
    source.storageFlags = 0;
    header = described;
    sourceType = source.elementType;
    sourceSize = type.bytes;
    rowBytes = static_cast<std::int32_t>(plan->rowBytes);
    progressTotal = static_cast<std::int32_t>(plan->hostRows);
    rowIndex = 0;
    plan_ = *plan;
    encoded_ = std::move(window);
    windowFirst_ = 0;
    windowFilled_ = 0;
    ++latticeCount;
    return orvo::ExportStatus::Done;
}

orvo::ExportStatus BndExportFilter::TakeRow(const orvo::TrLatticeScan& scan)
{
    // A row needs a lattice to describe it; the host delivers whole rows of
    // that lattice, rowBytes long.
    if (!staged_ || rowIndex < 0) {
        return orvo::ExportStatus::NotHandled;
    }
    const double done = progressTotal > 0 ? static_cast<double>(rowIndex) / progressTotal : 0.0;
    if (stopped_ || !progress->Proportion(done)) {
        stopped_ = true;
        return orvo::ExportStatus::Stopped;
    }
    // Rows of further planes are counted, not written; a lattice without
    // columns or bands has empty rows: nothing to write.
    if (rowIndex < header.nrows && rowBytes > 0) {
        Guarded(__LINE__, [&] { WriteRow(scan.rowBuffer); });
    }
    ++rowIndex;
    return orvo::ExportStatus::Done;
}

// A stopped export, and one that received no lattice, commit nothing.
orvo::ExportStatus BndExportFilter::EndExport()
{
    if (!staged_) {
        ThrowError(kExportSource, __LINE__, orvo::ErrNoExportOpen);
    }
    if (stopped_ || latticeCount < 1) {
        const bool stopped = stopped_;
        Reset();
        return stopped ? orvo::ExportStatus::Stopped : orvo::ExportStatus::NothingExported;
    }
    Guarded(__LINE__, [&] {
        WriteWindow();
        if (plan_.geometry.bandSequential) {
            FillToSize();
        }
        dataFile.Close();
        WriteHeader();
        staged_->Commit();
    });
    Reset();
    return orvo::ExportStatus::Done;
}

void BndExportFilter::WriteHeader()
{
    WriteHeaderFile(staged_->HeaderTemporary(), staged_->HeaderPath(), header, ElementTypeOf(sourceType)->writtenAs);
}

} // namespace fennick
