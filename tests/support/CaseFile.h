// Test cases kept as data: a file of named blocks of "key: value" lines.
//
//   # a comment
//   [CaseName]
//   hdr: nrows 3\nncols 4\n
//   data*12: x
//
// Keys and values take the escapes \n \r \t \0 \\ and \xHH; "key*N: text" repeats the
// text N times; a key may come more than once. Blank lines and lines starting
// with '#' are skipped.
#pragma once

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fennick::test {

struct Case {
    struct Field {
        std::string key, value;
        int line = 0;
    };
    std::string name;
    std::string file; // the table it is a row of
    int line = 0;     // where the case starts in its file
    std::vector<Field> fields;

    [[nodiscard]] bool Has(const std::string& key) const { return Find(key) != nullptr; }
    // The first value of `key`, or `otherwise`.
    [[nodiscard]] std::string Get(const std::string& key, const std::string& otherwise = {}) const
    {
        const Field* field = Find(key);
        return field != nullptr ? field->value : otherwise;
    }
    [[nodiscard]] const Field* Find(const std::string& key) const;
    // "<table> line N", as a failure names a line of the table.
    [[nodiscard]] std::string At(int where) const { return file + " line " + std::to_string(where); }
};

// The cases of tests/data/<name>; an unreadable or malformed file fails the test.
std::vector<Case> ReadCases(const std::string& name);

// Each case is a test of its own (Rows/Suite.Test/CaseName), so that a
// failure, and --gtest_filter, name the case; gtest shows it by name and line.
std::string CaseName(const testing::TestParamInfo<Case>& info);
void PrintTo(const Case& c, std::ostream* out);

// A table's rows as tests. Where there are no FIFOs, links or devices
// (Windows), a row that lays one, or says posix-only, is skipped.
class CaseRows : public testing::TestWithParam<Case> {
protected:
    void SetUp() override;
    // Lays each "file NAME" of the row in `dir`.
    static void LayFiles(const Case& c, const TempDir& dir);
};

// Rows run under a decimal-comma locale where one can be had, built once for
// the suite: a text file holds decimal points whatever the host's locale.
class DecimalCommaCases : public CaseRows {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
};

} // namespace fennick::test
