// Error codes and the error that IoFilter::ThrowError raises.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "HostApi.h"

namespace orvo {

// An error code. A class rather than an enum: it is the last named parameter
// before the variable arguments of ThrowError, where a promotable type would be
// undefined behaviour.
struct ErrCode {
    int value;
};

inline constexpr ErrCode ErrReadFailed{8};    // arguments: file path, reason text
inline constexpr ErrCode ErrNoExportOpen{15}; // no arguments
inline constexpr ErrCode ErrBadRecord{23};    // arguments: record text, line number (int), file path

// Raised by IoFilter::ThrowError. what() is the finished message; the error code
// is empty for the message form.
class HOST_API IoError : public std::runtime_error {
public:
    IoError(const std::string& message, std::optional<int> code, std::string sourceFile, int sourceLine);
    ~IoError() override;

    [[nodiscard]] std::optional<int> GetCode() const { return code_; }
    [[nodiscard]] const std::string& GetSourceFile() const { return sourceFile_; }
    [[nodiscard]] int GetSourceLine() const { return sourceLine_; }

private:
    std::optional<int> code_;
    std::string sourceFile_;
    int sourceLine_;
};

} // namespace orvo
