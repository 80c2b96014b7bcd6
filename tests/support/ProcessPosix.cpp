// Starting programs and laying fixtures on POSIX systems.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
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

// Types `keys` on `terminal` when what the program shows there holds `prompt`,
// and returns all it shows until it closes the terminal.
std::string Converse(int terminal, const std::string& prompt, const std::string& keys)
{
    std::string shown;
    bool typed = false;
    char buffer[4096];
    pollfd ready{terminal, POLLIN, 0};
    // The read fails (EIO) once the program has ended and closed the terminal.
    for (ssize_t count = 0; ::poll(&ready, 1, 30000) > 0 && (count = ::read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(count));
        if (!typed && shown.find(prompt) != std::string::npos) {
            typed = ::write(terminal, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
        }
    }
    ::close(terminal);
    return shown;
}

ProgramRun RunIn(const TempDir& dir, const std::vector<std::string>& arguments, const RunSettings& settings)
{
    const std::vector<char*> argv = Argv(arguments);
    const TempDir capture; // standard output and error go to files beside the folder, not into it
    const std::string output = settings.output.empty() ? capture.File("out") : settings.output;
    const bool onTerminal = settings.terminal.has_value();
    int terminal = -1;
    const pid_t child = onTerminal ? ::forkpty(&terminal, nullptr, nullptr, nullptr) : ::fork();
    if (child == 0) {
        const int input = ::open("/dev/null", O_RDONLY);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(capture.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (settings.closedInput) {
            ::close(0);
        } else if (!onTerminal || settings.terminal->nullInput) {
            ::dup2(input, 0);
        }
        if (!onTerminal) {
            ::dup2(out, 1);
            ::dup2(err, 2);
        }
        if (::chdir(dir.Path().c_str()) != 0) {
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
    ProgramRun run;
    if (onTerminal && child > 0) {
        run.out = Converse(terminal, settings.terminal->prompt, settings.terminal->keys);
        ::kill(child, SIGKILL); // a program still running once its terminal is quiet for 30 s has hung
    }
    int raw = 0;
    ::waitpid(child, &raw, 0);
    run.status = child < 0 ? -1 : StatusOf(raw);
    if (!onTerminal) {
        run.out = settings.output.empty() ? ReadText(output) : "";
        run.err = ReadText(capture.File("err"));
    }
    return run;
}

void LayPosixFixture(const std::string& path, const std::string& kind)
{
    if (kind == "<fifo>") {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << "cannot make a FIFO";
        return;
    }
    const std::string target = kind == "<loop>"     ? std::filesystem::path(path).filename().string()
                               : kind == "<device>" ? "/dev/null"
                                                    : kind.substr(6, kind.size() - 7);
    std::filesystem::create_symlink(target, path);
}

bool IsSuperUser()
{
    return ::geteuid() == 0;
}

bool UseDecimalCommaLocale(const TempDir& dir)
{
    // Single-byte, as Windows' is: its case folding reaches beyond ASCII.
    const std::string compile = "localedef -i de_DE -f ISO-8859-1 " + dir.File("de_DE.ISO-8859-1") + " >/dev/null 2>&1";
    ::setenv("LOCPATH", dir.Path().c_str(), 1);
    const bool ready = std::system(compile.c_str()) == 0 && std::setlocale(LC_ALL, "de_DE.ISO-8859-1") != nullptr;
    ::unsetenv("LOCPATH");
    return ready;
}

} // namespace fennick::test
