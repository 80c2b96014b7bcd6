#include "format/HeaderCompletion.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "files/Platform.h"
#include "format/DataGeometry.h"
#include "format/LatticeGeometry.h"

namespace fennick {

namespace {

constexpr std::int64_t kFieldMax = std::numeric_limits<std::int32_t>::max();

// Whether the lattice's `type` holds samples of `nbits` bits.
bool HoldsWidth(tamsel::CPrimType type, std::int32_t nbits)
{
    const ElementType* entry = ElementTypeOf(type);
    return entry != nullptr &&
           (entry->bytes * 8 == nbits || (type == tamsel::CPrimType::Int8 && (nbits == 1 || nbits == 4)));
}

// Grid-style geometry where the header's own keywords are absent: the cell
// size for both spacings, the lower-left cell's corner or centre for the
// upper-left node. A corner wins over a centre.
void ApplyGridGeometry(const HeaderScratch& scratch, BndHeader& header)
{
    if (scratch.cellsize) {
        header.xdim = scratch.givenXdim ? header.xdim : *scratch.cellsize;
        header.ydim = scratch.givenYdim ? header.ydim : *scratch.cellsize;
    }
    if (!scratch.givenUlxmap) {
        if (scratch.xllcorner) {
            header.ulxmap = *scratch.xllcorner + header.xdim / 2;
        } else if (scratch.xllcenter) {
            header.ulxmap = *scratch.xllcenter;
        }
    }
    if (header.ulymap == NoValue) {
        const double dy = std::fabs(header.ydim);
        if (scratch.yllcorner) {
            header.ulymap = *scratch.yllcorner + (header.nrows - 0.5) * dy;
        } else if (scratch.yllcenter) {
            header.ulymap = *scratch.yllcenter + (header.nrows - 1) * dy;
        }
    }
    if (header.ulymap == NoValue) {
        header.ulymap = header.nrows - 1;
    }
}

// The keys that a refused value is blamed on in a key = value header.
const char* KeyValueKey(const char* field)
{
    static constexpr struct {
        const char* field;
        const char* key;
    } kKeys[] = {{"ncols", "samples"}, {"nbands", "bands"}, {"skipbytes", "header offset"}};
    for (const auto& key : kKeys) {
        if (std::strcmp(key.field, field) == 0) {
            return key.key;
        }
    }
    return field;
}

} // namespace

std::optional<HeaderFault> CheckHeader(const BndHeader& header, BndLayout layout, tamsel::CPrimType sampleType)
{
    const auto invalid = [](const char* field, std::int64_t value) {
        return HeaderFault{HeaderFault::Invalid, field, value};
    };
    if (header.nrows < 2 || header.ncols < 2) {
        return HeaderFault{HeaderFault::TooFewCells};
    }
    if (header.nbands < 1) {
        return invalid("nbands", header.nbands);
    }
    if (!HoldsWidth(sampleType, header.nbits)) {
        return invalid("nbits", header.nbits);
    }
    if (header.skipbytes < 0) {
        return invalid("skipbytes", header.skipbytes);
    }
    if (header.bandgapbytes < 0) {
        return invalid("bandgapbytes", header.bandgapbytes);
    }
    if (header.bandrowbytes < -1) {
        return invalid("bandrowbytes", header.bandrowbytes);
    }
    if (header.totalrowbytes < -1) {
        return invalid("totalrowbytes", header.totalrowbytes);
    }
    const auto bandRow = NaturalBandRow(header);
    if (header.bandrowbytes == -1 && (!bandRow || *bandRow > kFieldMax)) {
        return invalid("ncols", header.ncols);
    }
    if (header.totalrowbytes == -1 && layout != BndLayout::BSQ) {
        const auto row =
            bandRow ? NaturalRow(header, layout, std::max<std::int64_t>(header.bandrowbytes, *bandRow)) : std::nullopt;
        if (!row || *row > kFieldMax) {
            return invalid("nbands", header.nbands);
        }
    }
    if (header.nbits == 1 && header.nbands != 1) {
        return HeaderFault{HeaderFault::OneBitBands};
    }
    return std::nullopt;
}

tamsel::CPrimType SampleTypeOf(std::int32_t nbits, const char* pixeltype)
{
    if (platform::EqualsIgnoreCase(pixeltype, "FLOAT")) {
        return tamsel::CPrimType::Float32;
    }
    const SampleKind kind = platform::EqualsIgnoreCase(pixeltype, "SIGNEDINT")     ? SampleKind::Signed
                            : platform::EqualsIgnoreCase(pixeltype, "UNSIGNEDINT") ? SampleKind::Unsigned
                            : nbits == 8                                           ? SampleKind::Unsigned
                                                                                   : SampleKind::Signed;
    for (const ElementType& type : kElementTypes) {
        if (type.bytes * 8 == nbits && type.bytes <= 4 && type.kind == kind) {
            return type.id;
        }
    }
    return tamsel::CPrimType::Int8;
}

int CompleteHeader(const std::string& headerPath, const Reporter& report, const HeaderScratch& scratch,
                   BndDescription& out)
{
    BndHeader& header = out.header;
    const bool keyValue = out.dialect == HeaderDialect::KeyValue;
    // datatype R32 says what pixeltype FLOAT says, and must not say otherwise.
    const bool r32 = platform::EqualsIgnoreCase(scratch.datatype, "R32");
    out.sampleType = scratch.sampleType.value_or(SampleTypeOf(header.nbits, r32 ? "FLOAT" : scratch.pixeltype));
    out.layoutCode = scratch.layout.value_or(LayoutOfName(header.layout));
    if (scratch.layout) {
        std::strcpy(header.layout, LayoutName(*scratch.layout));
    }
    const auto fault = CheckHeader(header, out.layoutCode, out.sampleType);
    if (fault && fault->kind == HeaderFault::TooFewCells) {
        return 1;
    }
    if (r32 && scratch.pixeltype[0] != '\0' && !platform::EqualsIgnoreCase(scratch.pixeltype, "FLOAT")) {
        return report.Fail(__LINE__, "%s says datatype R32 (32-bit float samples) but pixeltype %s.",
                           headerPath.c_str(), scratch.pixeltype);
    }
    if (r32 && header.nbits != 32) {
        return report.Fail(__LINE__, "%s says datatype R32 (32-bit float samples) but nbits %d.", headerPath.c_str(),
                           static_cast<int>(header.nbits));
    }
    if (fault) {
        switch (fault->kind) {
        case HeaderFault::OneBitBands: return report.Fail(__LINE__, "When nbits is 1, nbands must also be 1.");
        default:
            return report.Fail(__LINE__, "Invalid value %d for %s in %s.", static_cast<int>(fault->value),
                               keyValue ? KeyValueKey(fault->field) : fault->field, headerPath.c_str());
        }
    }
    ApplyGridGeometry(scratch, header);
    if (!HasFiniteExtent(header)) {
        const std::string where = headerPath + (scratch.givenMapInfo ? " (map info)" : "");
        return report.Fail(__LINE__, kInfiniteExtent, where.c_str());
    }
    // Row sizes left out are the whole bytes a row occupies, as the data
    // geometry counts them; the check saw that they fit.
    const std::int64_t bandRow = *NaturalBandRow(header);
    if (header.bandrowbytes == -1) {
        header.bandrowbytes = static_cast<std::int32_t>(bandRow);
    }
    if (header.totalrowbytes == -1 && out.layoutCode != BndLayout::BSQ) {
        header.totalrowbytes = static_cast<std::int32_t>(*NaturalRow(header, out.layoutCode, header.bandrowbytes));
    }
    out.swapBytes = header.byteorder[0] == 'M' || header.byteorder[0] == 'm';
    return 0;
}

} // namespace fennick
