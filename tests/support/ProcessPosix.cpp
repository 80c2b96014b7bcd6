// Starting programs and laying fixtures on POSIX systems.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/Posix.h"
#include "support/RunProgram.h"

namespace fennick::test {

namespace {

std::vector<char*> Argv(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

int StatusOf(int raw)
{
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

} // namespace

ProgramRun RunIn(const TempDir& dir, const std::vector<std::string>& arguments, const RunSettings& settings)
{
    const std::vector<char*> argv = Argv(arguments);
    const TempDir capture; // standard output and error go to files beside the folder, not into it
    const std::string output = settings.output.empty() ? capture.File("out") : settings.output;
    const pid_t child = ::fork();
    if (child == 0) {
        const int input = ::open("/dev/null", O_RDONLY);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(capture.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::chdir(dir.Path().c_str()) != 0 || (settings.closedInput ? ::close(0) : ::dup2(input, 0)) < 0 ||
            ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
            ::_exit(127);
        }
        for (const auto& [name, value] : settings.environment) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (settings.fileSizeLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(settings.fileSizeLimit),
                               static_cast<rlim_t>(settings.fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::alarm(120); // a program that hangs is ended, and the run fails
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int raw = 0;
    ::waitpid(child, &raw, 0);
    return {child < 0 ? -1 : StatusOf(raw), settings.output.empty() ? ReadText(output) : "",
            ReadText(capture.File("err"))};
}

ProgramRun RunOnTerminal(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& prompt,
                         const std::string& keys, bool inputIsNull)
{
    const std::vector<char*> argv = Argv(arguments);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (inputIsNull) {
            ::dup2(::open("/dev/null", O_RDONLY), 0);
        }
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
    run.status = StatusOf(raw);
    return run;
}

bool LayPosixFixture(const std::string& path, const std::string& kind)
{
    if (kind == "<fifo>") {
        if (::mkfifo(path.c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a FIFO");
        }
        return true;
    }
    const std::string target = kind == "<loop>"     ? std::filesystem::path(path).filename().string()
                               : kind == "<device>" ? "/dev/null"
                                                    : kind.substr(6, kind.size() - 7);
    std::filesystem::create_symlink(target, path);
    return true;
}

bool IsSuperUser()
{
    return ::geteuid() == 0;
}

bool UseDecimalCommaLocale(const TempDir& dir)
{
    const std::string compile = "localedef -i de_DE -f UTF-8 " + dir.File("de_DE.UTF-8") + " >/dev/null 2>&1";
    ::setenv("LOCPATH", dir.Path().c_str(), 1);
    const bool ready = std::system(compile.c_str()) == 0 && std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    ::unsetenv("LOCPATH");
    return ready;
}

} // namespace fennick::test
