// Runs a program as a person would, in a test's folder.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

namespace fennick::test {

struct ProgramRun {
    int status = -1; // the exit status; -1 when the program did not exit
    std::string out;
    std::string err;
};

struct RunSettings {
    // Variables added to the program's environment.
    std::vector<std::pair<std::string, std::string>> environment{};
    // A file to take the standard output instead of the run's `out`.
    std::string output{};
    // POSIX only: the largest file, in bytes, the program may write.
    std::int64_t fileSizeLimit = 0;
    // POSIX only: the program starts with its standard input closed.
    bool closedInput = false;
    // POSIX only: a new terminal is the program's standard output and error
    // (both in `out`) and its input (unless `nullInput`: then /dev/null is);
    // `keys` are typed once the output shows `prompt` (a Ctrl-C as "\x03").
    struct Terminal {
        std::string prompt, keys;
        bool nullInput = false;
    };
    std::optional<Terminal> terminal{};
};

// Runs the program `arguments[0]` with its arguments (no shell) in `dir`,
// with an empty standard input; ends it after two minutes.
ProgramRun RunIn(const TempDir& dir, const std::vector<std::string>& arguments, const RunSettings& settings = {});

// `program` and then the words of `arguments`, split at spaces.
std::vector<std::string> CommandLine(const std::string& program, const std::string& arguments);

// Every file in `dir`, with its bytes.
std::map<std::string, std::vector<unsigned char>> FilesIn(const TempDir& dir);

// True when `text` is exactly one line starting "bndhost: ".
bool IsOneBndhostLine(const std::string& text);

} // namespace fennick::test
