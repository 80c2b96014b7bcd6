// Test cases kept as data: a file of named blocks of "key: value" lines.
//
//   # a comment
//   [CaseName]
//   hdr: nrows 3\nncols 4\n
//   data*12: x
//
// Keys and values take the escapes \n \r \t \0 \\ and \xHH; "key*N: text" repeats the
// text N times. Blank lines and lines starting with '#' are skipped.
#pragma once

#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace fennick::test {

struct Case {
    std::string name;
    std::string file; // the table it is a row of
    int line = 0;     // where the case starts in its file
    std::map<std::string, std::string> fields;

    [[nodiscard]] bool Has(const std::string& key) const { return fields.contains(key); }
    [[nodiscard]] std::string Get(const std::string& key, const std::string& otherwise = {}) const
    {
        const auto it = fields.find(key);
        return it == fields.end() ? otherwise : it->second;
    }
};

// The cases of tests/data/<name>; an unreadable or malformed file fails the test.
std::vector<Case> ReadCases(const std::string& name);

// Each case is a test of its own (Rows/Suite.Test/CaseName), so that a
// failure, and --gtest_filter, name the case; gtest shows it by name and line.
std::string CaseName(const testing::TestParamInfo<Case>& info);
void PrintTo(const Case& c, std::ostream* out);

} // namespace fennick::test
