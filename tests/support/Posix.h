// What the tests need that differs by platform (ProcessPosix.cpp and
// ProcessWindows.cpp): what only POSIX systems have (FIFOs, symbolic links
// and devices as fixtures, file-size limits, a pseudo-terminal), whose cases
// are skipped on Windows; and a locale.
#pragma once

#include <string>

#include "support/TempDir.h"

namespace fennick::test {

#ifdef _WIN32
inline constexpr bool kPosix = false;
#else
inline constexpr bool kPosix = true;
#endif

// Whether `content` names a fixture only POSIX systems have: "<fifo>",
// "<loop>" (a link to itself), "<device>" (a link to /dev/null) or
// "<link TARGET>".
inline bool IsPosixFixture(const std::string& content)
{
    return content == "<fifo>" || content == "<loop>" || content == "<device>" || content.starts_with("<link ");
}

// Lays such a fixture at `path` (fails the test where there is none).
void LayPosixFixture(const std::string& path, const std::string& kind);

// True when the tests run as the superuser, whom no permission bit stops.
bool IsSuperUser();

// Puts a German (decimal-comma) locale in force; false when there is none.
// Windows has one; on Linux one is built into `dir` with localedef.
bool UseDecimalCommaLocale(const TempDir& dir);

} // namespace fennick::test
