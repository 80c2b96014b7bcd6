#include "support/RunProgram.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace fennick::test {

ProgramRun RunIn(const TempDir& dir, const std::string& command)
{
    const std::string line =
        "cd '" + dir.Path().string() + "' && " + command + " < /dev/null > stdout.txt 2> stderr.txt";
    const int raw = std::system(line.c_str());
    ProgramRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(dir.File("stdout.txt"));
    run.err = ReadText(dir.File("stderr.txt"));
    return run;
}

std::map<std::string, std::vector<unsigned char>> FilesIn(const TempDir& dir, const std::string& also)
{
    std::map<std::string, std::vector<unsigned char>> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (name != "stdout.txt" && name != "stderr.txt" && name != also) {
            files[name] = entry.is_regular_file() ? ReadAll(entry.path().string()) : std::vector<unsigned char>{};
        }
    }
    return files;
}

bool IsOneBndhostLine(const std::string& text)
{
    return text.starts_with("bndhost: ") && std::count(text.begin(), text.end(), '\n') == 1 && text.back() == '\n';
}

} // namespace fennick::test
