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

// A null-terminated array of pointers to `texts`.
std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
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
    // Everything the child needs is made before the fork: a child of a
    // process with threads may call only what is safe in a signal handler.
    std::vector<std::string> words = arguments;
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.emplace_back(*variable);
    }
    for (const auto& [name, value] : settings.environment) {
        std::erase_if(environment, [&](const std::string& v) { return v.starts_with(name + "="); });
        environment.push_back(name + "=" + value);
    }
    const std::vector<char*> argv = Pointers(words);
    const std::vector<char*> envp = Pointers(environment);
    const TempDir capture; // standard output and error go to files beside the folder, not into it
    const std::string output = settings.output.empty() ? capture.File("out") : settings.output;
    const std::string errors = capture.File("err");
    const std::string folder = dir.Path().string();
    const rlimit limit{static_cast<rlim_t>(settings.fileSizeLimit), static_cast<rlim_t>(settings.fileSizeLimit)};
    const bool onTerminal = settings.terminal.has_value();
    const bool nullInput = !onTerminal || settings.terminal->nullInput;
    int terminal = -1;
    const pid_t child = onTerminal ? ::forkpty(&terminal, nullptr, nullptr, nullptr) : ::fork();
    if (child == 0) {
        const int input = ::open("/dev/null", O_RDONLY);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (settings.closedInput) {
            ::close(0);
        } else if (nullInput) {
            ::dup2(input, 0);
        }
        if (!onTerminal) {
            ::dup2(out, 1);
            ::dup2(err, 2);
        }
        if (::chdir(folder.c_str()) != 0 || (settings.fileSizeLimit > 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)) {
            ::_exit(127);
        }
        ::alarm(120); // a program that hangs is ended, and the run fails
        ::execve(argv[0], argv.data(), envp.data());
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
        run.err = ReadText(errors);
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
