// Starting programs on Windows; the POSIX-only fixtures are not laid.
#include <clocale>
#include <gtest/gtest.h>
#include <windows.h>

#include "support/Posix.h"
#include "support/RunProgram.h"

namespace fennick::test {

namespace {

// UTF-8 as the UTF-16 of the system's wide calls.
std::wstring Wide(const std::string& utf8)
{
    return PathOf(utf8).wstring();
}

// One argument quoted as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// `path` opened for writing by the program to be started.
HANDLE Inherited(const std::string& path)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                         CREATE_ALWAYS, 0, nullptr);
}

} // namespace

ProgramRun RunIn(const TempDir& dir, const std::vector<std::string>& arguments, const RunSettings& settings)
{
    std::wstring commandLine;
    for (const std::string& argument : arguments) {
        commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(argument));
    }
    const TempDir capture; // standard output and error go to files beside the folder, not into it
    const std::string output = settings.output.empty() ? capture.File("out") : settings.output;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput =
        ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = Inherited(output);
    startup.hStdError = Inherited(capture.File("err"));
    // The environment is the test's own, with the settings' variables for
    // the time it takes to start the program.
    std::vector<std::pair<std::wstring, std::wstring>> previous;
    for (const auto& [name, value] : settings.environment) {
        wchar_t old[32768];
        const DWORD length = ::GetEnvironmentVariableW(Wide(name).c_str(), old, 32768);
        previous.emplace_back(Wide(name), length > 0 ? std::wstring(old, length) : std::wstring());
        ::SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
    }
    PROCESS_INFORMATION process{};
    const std::wstring folder = dir.Path().wstring();
    const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          folder.c_str(), &startup, &process);
    for (const auto& [name, value] : previous) {
        ::SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    }
    for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        ::CloseHandle(handle);
    }
    ProgramRun run;
    if (started != 0) {
        if (::WaitForSingleObject(process.hProcess, 120000) == WAIT_TIMEOUT) {
            ::TerminateProcess(process.hProcess, 1); // a program that hangs is ended, and the run fails
        } else {
            DWORD code = 0;
            ::GetExitCodeProcess(process.hProcess, &code);
            run.status = static_cast<int>(code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    run.out = settings.output.empty() ? ReadText(output) : "";
    run.err = ReadText(capture.File("err"));
    return run;
}

void LayPosixFixture(const std::string& path, const std::string& /*kind*/)
{
    ADD_FAILURE() << "no POSIX fixture here: " << path;
}

bool IsSuperUser()
{
    return false;
}

bool UseDecimalCommaLocale(const TempDir& /*dir*/)
{
    return std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
}

} // namespace fennick::test
