#include "format/FieldScan.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace fennick {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* SkipBlanks(const char* text)
{
    while (IsBlank(*text)) {
        ++text;
    }
    return text;
}

bool ScanWord(const char*& text, char* out, std::size_t width)
{
    const char* p = SkipBlanks(text);
    std::size_t n = 0;
    while (n < width && p[n] != '\0' && !IsBlank(p[n])) {
        out[n] = p[n];
        ++n;
    }
    if (n == 0) {
        return false;
    }
    out[n] = '\0';
    text = p + n;
    return true;
}

bool ScanInt(const char*& text, std::int32_t& value)
{
    const char* p = SkipBlanks(text);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return false;
    }
    std::int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > std::int64_t{INT32_MAX} + 1) {
            return false;
        }
    }
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX) {
        return false;
    }
    value = static_cast<std::int32_t>(result);
    text = p;
    return true;
}

bool ScanDouble(const char*& text, double& value)
{
    const char* p = SkipBlanks(text);
    if (*p == '+') {
        ++p;
        if (*p == '-' || *p == '+') {
            return false;
        }
    }
    double result = 0.0;
    const auto [end, error] = std::from_chars(p, p + std::strlen(p), result);
    if (error != std::errc()) {
        return false;
    }
    value = result;
    text = end;
    return true;
}

bool ScanFinite(const char*& text, double& value)
{
    const char* at = text;
    double result = 0.0;
    if (!ScanDouble(at, result) || !std::isfinite(result)) {
        return false;
    }
    value = result;
    text = at;
    return true;
}

} // namespace fennick
