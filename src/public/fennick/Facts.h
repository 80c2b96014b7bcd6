// The module's public vocabulary, for hosts: the keys of the facts the import
// puts in the parameter list of every lattice it hands over (beside
// "LatticeInfo"), and the layouts and element types their values name. A host
// includes this header alone; everything else it learns through the host
// contract.
#pragma once

#include <cstdint>

#include "tamsel/PrimType.h"

namespace fennick {

namespace facts {

// Every value is text; a key that does not apply is absent.
inline constexpr const char* kLayout = "BndLayout";       // "BIL", "BIP" or "BSQ"
inline constexpr const char* kBits = "BndBits";           // bits per sample: "1", "4", "8", "16", "32" or "64"
inline constexpr const char* kByteOrder = "BndByteOrder"; // "I" least significant byte first, "M" most
// The samples' kind: "SIGNEDINT", "UNSIGNEDINT" (also 1- and 4-bit samples) or "FLOAT".
inline constexpr const char* kPixelType = "BndPixelType";
inline constexpr const char* kNodata = "BndNodata"; // the header's nodata value as written; absent without one
inline constexpr const char* kHeaderDialect = "BndHeaderDialect"; // "keywords" or "key-value" (first line ENVI)
inline constexpr const char* kHeaderFile = "BndHeaderFile";       // the path of each file read
inline constexpr const char* kWorldFile = "BndWorldFile";
inline constexpr const char* kStatisticsFile = "BndStatisticsFile";
inline constexpr const char* kDataSize = "BndDataSize";           // bytes of the data file, in decimal
inline constexpr const char* kDescribedSize = "BndDescribedSize"; // bytes its header describes, in decimal

} // namespace facts

// Sample arrangement of a data file; kLayouts is indexed by it.
enum class BndLayout : std::int32_t { BIL = 0, BIP = 1, BSQ = 2 };

// Each layout's name (the header's `layout` word and the fact's value) and
// the data file extension that chooses it on export.
struct LayoutNames {
    BndLayout code;
    const char* name;
    const char* extension;
};
inline constexpr LayoutNames kLayouts[] = {
    {BndLayout::BIL, "BIL", ".bil"},
    {BndLayout::BIP, "BIP", ".bip"},
    {BndLayout::BSQ, "BSQ", ".bsq"},
};

enum class SampleKind { Signed, Unsigned, Float };

// Each element type of the host's lattices: its size and kind, whether the
// export takes it, its name in reports, the pixeltype word that says its kind
// in a header and in the facts, and the pixeltype of the header the export
// writes for it (its 32-bit samples are signed, except for an unsigned 32-bit
// lattice, whose exact bits only an unsigned reading gives back).
struct ElementType {
    tamsel::CPrimType::Id id;
    int bytes;
    SampleKind kind;
    bool exported;
    const char* name;
    const char* pixeltype;
    const char* writtenAs;
};
inline constexpr ElementType kElementTypes[] = {
    {tamsel::CPrimType::Int8, 1, SampleKind::Signed, true, "int8", "SIGNEDINT", "SIGNEDINT"},
    {tamsel::CPrimType::UInt8, 1, SampleKind::Unsigned, true, "uint8", "UNSIGNEDINT", "SIGNEDINT"},
    {tamsel::CPrimType::Int16, 2, SampleKind::Signed, true, "int16", "SIGNEDINT", "SIGNEDINT"},
    {tamsel::CPrimType::UInt16, 2, SampleKind::Unsigned, true, "uint16", "UNSIGNEDINT", "SIGNEDINT"},
    {tamsel::CPrimType::Int32, 4, SampleKind::Signed, true, "int32", "SIGNEDINT", "SIGNEDINT"},
    {tamsel::CPrimType::UInt32, 4, SampleKind::Unsigned, true, "uint32", "UNSIGNEDINT", "UNSIGNEDINT"},
    {tamsel::CPrimType::Int64, 8, SampleKind::Signed, true, "int64", "SIGNEDINT", "SIGNEDINT"},
    {tamsel::CPrimType::Float32, 4, SampleKind::Float, true, "float32", "FLOAT", "SIGNEDINT"},
    {tamsel::CPrimType::Float64, 8, SampleKind::Float, true, "float64", "FLOAT", "SIGNEDINT"},
};

// The entry of the element type `id`; nullptr for an id the table lacks.
constexpr const ElementType* ElementTypeOf(int id)
{
    for (const ElementType& type : kElementTypes) {
        if (type.id == id) {
            return &type;
        }
    }
    return nullptr;
}

} // namespace fennick
