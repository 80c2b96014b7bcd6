#include "HeaderFacts.h"

#include <exception>
#include <filesystem>

#include "System.h"
#include "format/DataGeometry.h"
#include "tamsel/PrimType.h"

namespace bndhost {

std::optional<HeaderFacts> HeaderFacts::Of(const std::string& dataPath)
{
    HeaderFacts facts;
    try {
        if (fennick::ReadDescription(dataPath.c_str(), true, facts.description) != 0) {
            return std::nullopt;
        }
    } catch (const std::exception&) {
        return std::nullopt; // quiet reads fail by their result; this is only a safeguard
    }
    const auto geometry = fennick::DataGeometry::Of(facts.description.header, facts.description.layoutCode);
    if (!geometry) {
        return std::nullopt;
    }
    facts.expectedSize = geometry->expectedSize;
    std::error_code error;
    if (const auto size = std::filesystem::file_size(sys::PathOf(dataPath), error); !error) {
        facts.dataSize = static_cast<std::int64_t>(size);
    }
    return facts;
}

const char* ElementTypeName(int type)
{
    static constexpr const char* kNames[] = {"int8",   "uint8", "int16",   "uint16", "int32",
                                             "uint32", "int64", "float32", "float64"};
    return type >= 0 && type < tamsel::CPrimType::Count ? kNames[type] : "unknown";
}

} // namespace bndhost
