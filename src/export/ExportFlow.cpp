// Beginning, feeding and ending an export.
#include <cstring>
#include <exception>
#include <limits>
#include <new>

#include "export/BndExportFilter.h"
#include "export/SampleEncoder.h"
#include "files/Platform.h"
#include "files/RasterFiles.h"
#include "format/HeaderWriter.h"
#include "format/LatticeGeometry.h"
#include "support/Reporting.h"
#include "tamsel/Path.h"

namespace fennick {

namespace {

// a * b when both are non-negative and the product fits a 32-bit size field.
bool FitsSize(std::int64_t a, std::int64_t b, std::int32_t& product)
{
    const auto result = CheckedMultiply(a, b);
    if (!result || *result > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    product = static_cast<std::int32_t>(*result);
    return true;
}

} // namespace

BndExportFilter::BndExportFilter(orvo::IoManager& manager) : BndFilter(manager) {}

BndExportFilter::~BndExportFilter()
{
    Abandon();
}

void BndExportFilter::Abandon() noexcept
{
    dataFile.Abort(false);
    staged_.reset();
    stopped_ = false;
    progress.reset();
}

template <class Work>
void BndExportFilter::Guarded(int line, Work&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        // The host's file class names the file it writes: a temporary.
        const std::string text = staged_ ? staged_->AsGiven(error.what()) : error.what();
        Abandon();
        ThrowError(kExportSource, line, "%s", text.c_str());
    } catch (...) {
        Abandon();
        throw;
    }
}

orvo::ExportStatus BndExportFilter::BeginExport(const char* path, bool /*flag*/)
{
    if (!IsDataPath(path)) {
        return orvo::ExportStatus::Stopped;
    }
    Abandon(); // an export that never ended is given up as the destructor would
    outputPath = path;
    layoutCode = LayoutOfExtension(tamsel::CPath::GetExtensionPtr(path));
    staged_ = std::make_unique<StagedRaster>(outputPath);
    Guarded(__LINE__, [&] { dataFile.Open(staged_->DataTemporary().c_str(), "wb", kShare, false); });
    progress = std::make_unique<orvo::CProgress>(GetIoManager(), nullptr, true, true);
    progress->MessageVA("Exporting to Banded format file %s", tamsel::CPath::GetNamePtr(path));
    rowIndex = -1;
    latticeCount = 0;
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

// Checks every size the lattice implies and allocates what it needs before
// any state changes, so that a lattice that cannot be exported leaves the
// export as it was. The host's rows, their count and each encoded row (one
// write) must fit 32-bit sizes; the plan checks the file's sizes.
orvo::ExportStatus BndExportFilter::TakeLattice(orvo::TrUniformLattice& source)
{
    // A lattice without rows, columns, bands or planes (whose rows never
    // come) would give files that no import reads.
    if (!staged_ || !IsEncodable(source.elementType) || source.rows < 1 || source.columns < 1 ||
        source.components < 1 || source.planes < 1) {
        return orvo::ExportStatus::NotHandled;
    }
    if (stopped_) {
        return orvo::ExportStatus::Stopped;
    }
    const std::int32_t size = tamsel::CPrimType::TypeSize[source.elementType];
    std::int32_t nodes = 0;
    std::int32_t newRowBytes = 0;
    std::int32_t encodedBytes = 0;
    std::int32_t newProgressTotal = 0;
    if (!FitsSize(source.columns, source.components, nodes) || !FitsSize(nodes, size, newRowBytes) ||
        !FitsSize(nodes, kWrittenSampleSize, encodedBytes) || !FitsSize(source.rows, source.planes, newProgressTotal)) {
        return orvo::ExportStatus::NotHandled;
    }
    BndHeader described;
    DescribeLattice(source, described);
    described.nbits = 32;
    std::strcpy(described.layout, LayoutName(layoutCode));
    const auto plan = DataPlan::Of(described, layoutCode);
    std::unique_ptr<unsigned char[]> window;
    if (plan) {
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
    sourceSize = size;
    rowBytes = newRowBytes;
    progressTotal = newProgressTotal;
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
        Abandon();
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
    staged_.reset();
    progress.reset();
    return orvo::ExportStatus::Done;
}

void BndExportFilter::WriteHeader()
{
    WriteHeaderFile(staged_->HeaderTemporary(), staged_->HeaderPath(), header, ElementTypeOf(sourceType)->writtenAs);
}

} // namespace fennick
