#include "hostside/IoError.h"

namespace orvo {

IoError::IoError(const std::string& message, std::optional<int> code, std::string sourceFile)
    : std::runtime_error(message), code_(code), sourceFile_(std::move(sourceFile))
{
}

IoError::~IoError() = default;

} // namespace orvo
