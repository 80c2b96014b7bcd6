#include "support/CaseFile.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fennick::test {

namespace {

std::string Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 'x':
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
            break;
        default: out += c; break;
        }
    }
    return out;
}

} // namespace

std::vector<Case> ReadCases(const std::string& name)
{
    const std::string path = std::string(FENNICK_TEST_DATA) + "/" + name;
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::vector<Case> cases;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            cases.push_back({line.substr(1, line.size() - 2), name, number, {}});
            continue;
        }
        if (line.back() == ':') {
            line += ' '; // an empty value
        }
        const std::size_t colon = line.find(": ");
        if (cases.empty() || colon == std::string::npos) {
            ADD_FAILURE() << path << ":" << number << ": not a case line: " << line;
            continue;
        }
        std::string key = Unescape(line.substr(0, colon));
        std::string value = Unescape(line.substr(colon + 2));
        if (const std::size_t star = key.find('*'); star != std::string::npos) {
            const std::size_t times = std::stoul(key.substr(star + 1));
            key.resize(star);
            std::string repeated;
            for (std::size_t i = 0; i < times; ++i) {
                repeated += value;
            }
            value = std::move(repeated);
        }
        cases.back().fields[key] = std::move(value);
    }
    EXPECT_FALSE(cases.empty()) << path << " holds no cases";
    return cases;
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name << " (" << c.file << " line " << c.line << ")";
}

} // namespace fennick::test
