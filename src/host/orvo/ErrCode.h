// The error codes that filters pass to IoFilter::ThrowError.
#pragma once

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

} // namespace orvo
