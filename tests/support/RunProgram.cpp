#include "support/RunProgram.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace fennick::test {

std::vector<std::string> CommandLine(const std::string& program, const std::string& arguments)
{
    std::istringstream stream(arguments);
    std::vector<std::string> words{program};
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

std::map<std::string, std::vector<unsigned char>> FilesIn(const TempDir& dir)
{
    std::map<std::string, std::vector<unsigned char>> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        files[TextOf(entry.path().filename())] =
            entry.is_regular_file() ? ReadAll(TextOf(entry.path())) : std::vector<unsigned char>{};
    }
    return files;
}

bool IsOneBndhostLine(const std::string& text)
{
    return text.starts_with("bndhost: ") && std::count(text.begin(), text.end(), '\n') == 1 && text.back() == '\n';
}

} // namespace fennick::test
