#include "support/RunProgram.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fennick::test {

ProgramRun RunIn(const TempDir& dir, const std::string& command)
{
    const std::string line =
        "cd '" + dir.Path().string() + "' && exec < /dev/null && { " + command + "\n} > stdout.txt 2> stderr.txt";
    const int raw = std::system(line.c_str());
    ProgramRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(dir.File("stdout.txt"));
    run.err = ReadText(dir.File("stderr.txt"));
    return run;
}

ProgramRun RunOnTerminal(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& prompt,
                         const std::string& keys)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (::chdir(dir.Path().c_str()) == 0) {
            ::execv(argv[0], argv.data());
        }
        ::_exit(127);
    }
    ProgramRun run;
    if (child < 0) {
        return run;
    }
    bool typed = false;
    char buffer[4096];
    pollfd ready{terminal, POLLIN, 0};
    // The read fails (EIO) once the program has ended and closed the terminal.
    while (::poll(&ready, 1, 30000) > 0) {
        const ssize_t count = ::read(terminal, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        run.out.append(buffer, static_cast<std::size_t>(count));
        if (!typed && run.out.find(prompt) != std::string::npos) {
            typed = ::write(terminal, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
        }
    }
    ::kill(child, SIGKILL); // a program still running after the wait has hung
    int raw = 0;
    ::waitpid(child, &raw, 0);
    ::close(terminal);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
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
