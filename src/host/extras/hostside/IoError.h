// The error that IoFilter::ThrowError raises, for hosts that catch it.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "HostApi.h"
#include "orvo/ErrCode.h"

namespace orvo {

// Raised by IoFilter::ThrowError. what() is the finished message; the error code
// is empty for the message form.
class ORVO_API IoError : public std::runtime_error {
public:
    IoError(const std::string& message, std::optional<int> code, std::string sourceFile);
    ~IoError() override;

    [[nodiscard]] std::optional<int> GetCode() const { return code_; }
    [[nodiscard]] const std::string& GetSourceFile() const { return sourceFile_; }

private:
    std::optional<int> code_;
    std::string sourceFile_;
};

} // namespace orvo
