// Runs a program as a person would from a shell, in a test's folder.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fennick::test {

struct ProgramRun {
    int status = -1; // the exit status; -1 when the program did not exit
    std::string out;
    std::string err;
};

// Runs `command` (shell words, which may be a pipeline or redirect its own
// output) in `dir` with no terminal on stdin; what it prints goes through
// stdout.txt and stderr.txt in `dir`.
ProgramRun RunIn(const TempDir& dir, const std::string& command);

// Runs the program `arguments[0]` with its arguments in `dir` on a new
// terminal, which is its standard input, output and error (all in `out`);
// when the output shows `prompt`, types `keys` (a Ctrl-C as "\x03").
ProgramRun RunOnTerminal(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& prompt,
                         const std::string& keys);

// Every file in `dir` but the runs' own streams (stdout.txt, stderr.txt and
// `also`), with its bytes.
std::map<std::string, std::vector<unsigned char>> FilesIn(const TempDir& dir, const std::string& also = "");

// True when `text` is exactly one line starting "bndhost: ".
bool IsOneBndhostLine(const std::string& text);

} // namespace fennick::test
