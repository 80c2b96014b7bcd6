// What a data file's header says about its samples, read the way the module
// reads it, for bndhost's reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "format/HeaderReader.h"

namespace bndhost {

struct HeaderFacts {
    fennick::BndDescription description;
    std::int64_t expectedSize = 0;        // bytes the header describes
    std::optional<std::int64_t> dataSize; // bytes the data file has, when it can be told

    // Reads the header and side files of `dataPath` quietly: empty when the
    // module could not read them or their sizes do not fit in 64 bits.
    static std::optional<HeaderFacts> Of(const std::string& dataPath);
};

// The element type's name in reports: "int8", "uint16", "float32", ...
const char* ElementTypeName(int type);

} // namespace bndhost
