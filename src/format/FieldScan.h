// Bounded scanning of header and side-file values from a line of text.
//
// Each scanner skips leading white space as the C scanners do, reads one value
// of its form, and on success stores it and moves `text` past it; on failure it
// stores nothing. Nothing is read beyond the terminating zero, and words are
// cut to the given width, so no value can overrun its field.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fennick {

// White space as the C scanners skip it.
bool IsBlank(char c);

// `text` past its leading white space.
const char* SkipBlanks(const char* text);

// The next run of non-blank characters, at most `width` of them, into `out`
// (which holds width + 1 chars) with a terminating zero.
bool ScanWord(const char*& text, char* out, std::size_t width);

// A decimal integer with an optional sign; a value outside the 32-bit range is malformed.
bool ScanInt(const char*& text, std::int32_t& value);

// A floating-point number (decimal or exponent form, "inf", "nan"); a value
// beyond the range of a double is malformed.
bool ScanDouble(const char*& text, double& value);

// A finite floating-point number: as ScanDouble, without "inf" and "nan".
bool ScanFinite(const char*& text, double& value);

} // namespace fennick
