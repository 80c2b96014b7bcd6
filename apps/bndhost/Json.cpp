#include "Json.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Imports.h"

namespace bndhost {

std::string JsonNumber(double value, bool coordinate)
{
    if (std::isnan(value)) {
        return "\"nan\"";
    }
    if (std::isinf(value)) {
        return value > 0 ? "\"inf\"" : "\"-inf\"";
    }
    std::string text;
    coordinate ? AppendCoordinate(text, value) : AppendNumber(text, value);
    return text;
}

std::string JsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (std::size_t at = 0, length = 1; at < text.size(); at += std::max<std::size_t>(length, 1)) {
        const auto byte = [&](std::size_t i) {
            return static_cast<unsigned char>(at + i < text.size() ? text[at + i] : 0);
        };
        const unsigned char lead = byte(0);
        length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
        for (std::size_t i = 1; i < length; ++i) {
            length = (byte(i) & 0xC0) == 0x80 ? length : 0;
        }
        // No overlong three- or four-byte forms, no surrogates, nothing past U+10FFFF.
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) || (lead == 0xF0 && byte(1) < 0x90) ||
            (lead == 0xF4 && byte(1) >= 0x90)) {
            length = 0;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", length == 0 ? 0xFFFDU : lead);
        quoted += length == 0 || lead < 0x20    ? std::string_view(escape)
                  : lead == '"' || lead == '\\' ? std::string_view(lead == '"' ? "\\\"" : "\\\\")
                                                : text.substr(at, length);
    }
    return quoted + '"';
}

} // namespace bndhost
