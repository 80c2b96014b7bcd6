// What the tests need that differs by platform (ProcessPosix.cpp and
// ProcessWindows.cpp): what only POSIX systems have (FIFOs, symbolic links
// and devices as fixtures, file-size limits, a pseudo-terminal), whose cases
// are skipped on Windows; and a locale.
#pragma once

#include <clocale>
#include <iostream>
#include <memory>
#include <string>

#include "support/CaseFile.h"
#include "support/TempDir.h"

namespace fennick::test {

#ifdef _WIN32
inline constexpr bool kPosix = false;
#else
inline constexpr bool kPosix = true;
#endif

// Lays a "<fifo>", "<loop>" (a link to itself), "<device>" (a link to
// /dev/null) or "<link TARGET>" at `path`; false where the system has none.
bool LayPosixFixture(const std::string& path, const std::string& kind);

// True when the tests run as the superuser, whom no permission bit stops.
bool IsSuperUser();

// Puts a German (decimal-comma) locale in force; false when there is none.
// Windows has one; on Linux one is built into `dir` with localedef.
bool UseDecimalCommaLocale(const TempDir& dir);

// That locale in force while this lives (said when there is none), and the C
// locale again afterwards, however the test ends.
struct DecimalCommaLocale {
    TempDir folder; // where Linux builds the locale

    DecimalCommaLocale()
    {
        if (!UseDecimalCommaLocale(folder)) {
            std::cout << "no decimal-comma locale here: the C locale stays in force\n";
        }
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, "C"); }
};

// A table's rows as tests: a row that says posix-only is skipped elsewhere.
class CaseRows : public testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        if (!kPosix && GetParam().Has("posix-only")) {
            GTEST_SKIP() << "POSIX only: " << GetParam().Get("posix-only");
        }
    }

    // Lays each "file NAME" of the row in `dir`; false when one is a fixture
    // (a FIFO, a link) this system cannot lay.
    static bool LayFiles(const Case& c, const TempDir& dir)
    {
        bool laid = true;
        for (const auto& [key, value] : c.fields) {
            laid = (!key.starts_with("file ") || dir.Lay(key.substr(5), value)) && laid;
        }
        return laid;
    }
};

// A suite of case rows, each run under that locale, built once for the suite.
class DecimalCommaCases : public CaseRows {
protected:
    static void SetUpTestSuite() { locale = std::make_unique<DecimalCommaLocale>(); }
    static void TearDownTestSuite() { locale.reset(); }

private:
    static inline std::unique_ptr<DecimalCommaLocale> locale;
};

} // namespace fennick::test
