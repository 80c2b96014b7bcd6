#include "support/CaseFile.h"

#include <algorithm>
#include <clocale>
#include <fstream>
#include <memory>

#include "support/Posix.h"

namespace fennick::test {

namespace {

std::string Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] == '\\' && i + 1 < text.size() ? text[++i] : '\0';
        if (c == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            const std::string from = "nrt0", to{'\n', '\r', '\t', '\0'};
            out += c == '\0' ? text[i] : from.find(c) != std::string::npos ? to[from.find(c)] : c;
        }
    }
    return out;
}

// Where the decimal-comma locale is built, for the suite that runs under it.
std::unique_ptr<TempDir> localeFolder;

} // namespace

const Case::Field* Case::Find(const std::string& key) const
{
    const auto it = std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return f.key == key; });
    return it != fields.end() ? &*it : nullptr;
}

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
        const std::size_t colon = (line.back() == ':' ? line + ' ' : line).find(": ");
        if (cases.empty() || colon == std::string::npos) {
            ADD_FAILURE() << path << ":" << number << ": not a case line: " << line;
            continue;
        }
        std::string key = Unescape(line.substr(0, colon));
        std::string value = Unescape(line.substr(std::min(line.size(), colon + 2)));
        if (const std::size_t star = key.find('*'); star != std::string::npos) {
            std::string repeated;
            for (std::size_t i = std::stoul(key.substr(star + 1)); i > 0; --i) {
                repeated += value;
            }
            key.resize(star);
            value = std::move(repeated);
        }
        cases.back().fields.push_back({std::move(key), std::move(value), number});
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
    *out << c.name << " (" << c.At(c.line) << ")";
}

void CaseRows::SetUp()
{
    const auto& fields = GetParam().fields;
    if (!kPosix && std::any_of(fields.begin(), fields.end(),
                               [](const Case::Field& f) { return f.key == "posix-only" || IsPosixFixture(f.value); })) {
        GTEST_SKIP() << "POSIX only";
    }
}

void CaseRows::LayFiles(const Case& c, const TempDir& dir)
{
    for (const auto& [key, value, line] : c.fields) {
        if (key.starts_with("file ")) {
            dir.Lay(key.substr(5), value);
        }
    }
}

void DecimalCommaCases::SetUpTestSuite()
{
    localeFolder = std::make_unique<TempDir>();
    if (!UseDecimalCommaLocale(*localeFolder)) {
        std::cout << "no decimal-comma locale here: the C locale stays in force\n";
    }
}

void DecimalCommaCases::TearDownTestSuite()
{
    std::setlocale(LC_ALL, "C");
    localeFolder.reset();
}

} // namespace fennick::test
