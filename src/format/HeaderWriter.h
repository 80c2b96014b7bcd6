// Writing the header file of an export.
#pragma once

#include <string>

#include "format/BndHeader.h"

namespace fennick {

// Writes `header` to `headerPath`: ten lines of the classic template, then a
// "layout" line so that multi-band BIP and BSQ files read back with their real
// arrangement, and a "pixeltype" line with `pixeltype` (SIGNEDINT or
// UNSIGNEDINT) so that readers that assume another sample type read the
// values right. Raises "Unable to create the header file %s." with
// `shownPath` when the file cannot be created; a failed write leaves no
// header behind.
void WriteHeaderFile(const std::string& headerPath, const std::string& shownPath, const BndHeader& header,
                     const char* pixeltype);

} // namespace fennick
