// Byte swapping, the text test and option lookup.
#pragma once

#include <string>

#include "HostApi.h"
#include "tamsel/BufferedFile.h"

namespace pelmo {

// Reverses the order of `width` bytes at `element`.
PELMO_API void ByteSwap(void* element, int width);

// True when the first `count` bytes of the open file are not text: they hold a
// NUL byte, or more than one in ten of them are control characters other than
// tab, LF, CR and FF. Bytes from 0x80 up count as text. An empty file is text.
// The file is left positioned at its start.
PELMO_API bool IsBinary(tamsel::CBufferedFile& file, unsigned int count);

// Finds `key` in `options`, a list of "key=value" entries split at `separator`,
// and stores its value in `value`. Keys match ignoring case; blanks around keys
// and values are dropped; an entry without "=" has an empty value. The first
// matching entry wins. Returns false (and leaves `value`) when the key is absent
// or `options` is null.
PELMO_API bool CommonGetStringOption(const char* options, const char* key, char separator, std::string& value);

} // namespace pelmo
