// bndhost's commands, the table that checks and runs them, and its help.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace bndhost {

// Exit statuses of bndhost.
enum Exit : int {
    ExitDone = 0,
    ExitError = 1,   // an error; its message is one line on stderr
    ExitNotDone = 2, // stopped, declined, refused or not importable; a line says which
    ExitUsage = 64,
    ExitInterrupted = 130, // Ctrl-C
};

class Session;

// One command as given: its operands (each a path) and its options.
struct Call {
    std::vector<std::filesystem::path> operands;
    std::optional<int> band; // preview
    bool json = false;       // info

    // Operand `i`, or an empty path when it was not given.
    [[nodiscard]] std::filesystem::path Operand(std::size_t i) const
    {
        return i < operands.size() ? operands[i] : std::filesystem::path();
    }
};

// One command: its operands, and what it runs.
struct Command {
    const char* name;
    std::size_t fewest;
    std::size_t most;
    const char* takes; // the usage error when the operands do not fit
    Exit (*run)(Session& session, const Call& call);
};

// Every command, in the order of the help.
std::span<const Command> CommandTable();

// bndhost --help.
extern const char* const kHelp;

// Probe and import `path`; print the probe result, the lattice summary, what
// the import says of the files it read and each band's minimum, maximum and
// mean (leaving out nodata and NaN values), as text or as one JSON object.
Exit RunInfo(Session& session, const std::filesystem::path& path, bool json, std::ostream& out);

// Every node of `path` as a line "x y v0 [v1 ...]", top row first, west to
// east; to standard output for no OUT or "-", else to OUT.
Exit RunXyz(Session& session, const std::filesystem::path& path, const std::filesystem::path& out);

// Import `in` and export it to `out`, noting what the export changes.
Exit RunConvert(Session& session, const std::filesystem::path& in, const std::filesystem::path& out);

// A grayscale PNG of band `band` of `path`, scaled from the band's minimum to its maximum.
Exit RunPreview(Session& session, const std::filesystem::path& path, const std::filesystem::path& png, int band,
                std::ostream& out);

// The built-in example (Demo.cpp): in `folder`, or in a temporary folder it
// removes afterwards when `folder` is empty.
Exit RunDemo(Session& session, const std::filesystem::path& folder, std::ostream& out);

} // namespace bndhost
