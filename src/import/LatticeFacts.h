// The keys under which the import puts, in the parameter list of the lattice
// it hands over and beside "LatticeInfo", what a host may show of the files
// it read. Every value is text; a key that does not apply is absent.
#pragma once

namespace fennick::facts {

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

} // namespace fennick::facts
