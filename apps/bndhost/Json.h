// JSON text for bndhost's reports.
#pragma once

#include <string>
#include <string_view>

namespace bndhost {

// A JSON number; what JSON numbers cannot hold as the strings "inf", "-inf"
// and "nan". A coordinate in plain decimal notation.
std::string JsonNumber(double value, bool coordinate = false);

// A JSON string: quotes, backslashes and control characters escaped, and
// each byte that is not part of valid UTF-8 (a file name's may not be) as U+FFFD.
std::string JsonString(std::string_view text);

} // namespace bndhost
