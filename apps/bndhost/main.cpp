// bndhost: a command-line host that loads the fennick module by path and
// drives its filters as the host application would.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <getopt.h>
#include <iostream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "Commands.h"
#include "HostManager.h"
#include "ModuleLoader.h"
#include "StagedOutput.h"
#include "hostside/IoError.h"

namespace {

namespace fs = std::filesystem;
using bndhost::Exit;

// The commands come from kCommands.
constexpr const char* kHelp =
    R"(Usage: bndhost [--plugin PATH] [--yes | --no] [--quiet] COMMAND ...

Drives the fennick banded-raster filter module as a host application does.

Commands:
%s
Options:
  --plugin PATH   the filter module (default: $FENNICK_PLUGIN, else fennick.so
                  beside bndhost, else the installed one)
  --yes, --no     the answer to the module's questions when there is no
                  terminal to ask (without either, the answer is no)
  --quiet         no progress display
  -h, --help      this text
  --version       bndhost's version

convert and xyz write under temporary names beside OUT and move the files into
place only when complete, so an existing OUT stays as it was on any error or
interruption; they refuse an OUT (or, for convert, its header) that is IN or
one of IN's files. convert notes on stderr when IN holds floating-point values,
whose fractions the export drops, and counts the values it saturates to the
signed 32-bit range and the NaN it writes as 0.

Exit status: 0 done; 1 error (its message is one line on stderr, including a
data file shorter than its header says); 2 stopped, declined, refused or not
importable; 64 usage error; 130 interrupted (Ctrl-C).
)";

// The options that belong to one command.
struct Flags {
    int band = 0;      // preview
    bool json = false; // info
};

// One command: its operands, how the help shows it, and what it runs.
struct Command {
    const char* name;
    std::size_t fewest;
    std::size_t most;
    const char* synopsis;    // the help's first column
    const char* description; // the help's second column, lines split at '\n'
    const char* takes;       // the usage error when the operands do not fit
    Exit (*run)(bndhost::Session& session, const std::vector<std::string>& operands, const Flags& flags);
};

constexpr Command kCommands[] = {
    {"info", 1, 1, "info FILE [--json]",
     "probe and import FILE; print the probe result, the\nlattice summary, layout, bits, byte order, element type,\n"
     "bands, data size against the expected size and each\nband's minimum, maximum, mean (nodata values left out);\n"
     "--json prints them as one JSON object",
     "info takes one FILE",
     [](bndhost::Session& session, const std::vector<std::string>& operands, const Flags& flags) {
         return bndhost::RunInfo(session, operands[0], flags.json, std::cout);
     }},
    {"convert", 2, 2, "convert IN OUT",
     "import IN and export it to OUT; OUT's extension picks\nthe layout (.bip, .bsq, anything else BIL)",
     "convert takes IN and OUT",
     [](bndhost::Session& session, const std::vector<std::string>& operands, const Flags& /*flags*/) {
         return bndhost::RunConvert(session, operands[0], operands[1]);
     }},
    {"xyz", 1, 2, "xyz FILE [OUT]",
     "every node of FILE as a line 'x y v0 [v1 ...]', top\nrow first, west to east, to OUT (replaced only when\n"
     "complete) or to standard output",
     "xyz takes FILE and at most one OUT",
     [](bndhost::Session& session, const std::vector<std::string>& operands, const Flags& /*flags*/) {
         return bndhost::RunXyz(session, operands[0], operands.size() > 1 ? operands[1] : std::string());
     }},
    {"preview", 2, 2, "preview FILE OUT.png [--band N]",
     "a grayscale PNG of band N (default 0), scaled from\nthe band's minimum to its maximum",
     "preview takes FILE and OUT.png",
     [](bndhost::Session& session, const std::vector<std::string>& operands, const Flags& flags) {
         return bndhost::RunPreview(session, operands[0], operands[1], flags.band, std::cout);
     }},
    {"demo", 0, 1, "demo [DIR]",
     "write a sample raster into DIR (default: a new folder\nunder the temporary folder), convert it to BIL, BIP\n"
     "and BSQ, import each back and check every value",
     "demo takes at most one DIR",
     [](bndhost::Session& session, const std::vector<std::string>& operands, const Flags& /*flags*/) {
         return bndhost::RunDemo(session, operands.empty() ? std::string() : operands[0], std::cout);
     }},
};

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : kCommands) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

// The help text with the command table in its place.
std::string Help()
{
    constexpr std::size_t kColumn = 28;
    std::string commands;
    for (const Command& command : kCommands) {
        std::string synopsis = std::string("  ") + command.synopsis;
        std::string_view description = command.description;
        if (synopsis.size() + 2 > kColumn) {
            commands += synopsis + "\n";
            synopsis.clear();
        }
        for (bool first = true; first || !description.empty(); first = false) {
            const std::size_t end = description.find('\n');
            std::string line = first ? synopsis : std::string();
            line.resize(kColumn, ' ');
            commands += line + std::string(description.substr(0, end)) + "\n";
            description = end == std::string_view::npos ? std::string_view() : description.substr(end + 1);
        }
    }
    std::string text = kHelp;
    text.replace(text.find("%s"), 2, commands);
    return text;
}

Exit Usage(const std::string& message)
{
    bndhost::Complain(message);
    std::cerr << "Try 'bndhost --help'.\n";
    return bndhost::ExitUsage;
}

// --plugin, else $FENNICK_PLUGIN, else beside the executable (the build
// tree), else the installed plug-in folder.
std::string FindModule(const std::string& option)
{
    if (!option.empty()) {
        return option;
    }
    if (const char* variable = std::getenv("FENNICK_PLUGIN"); variable != nullptr && *variable != '\0') {
        return variable;
    }
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    const fs::path beside = folder / "fennick.so";
    const fs::path installed = folder / FENNICK_PLUGIN_RELATIVE_DIR / "fennick.so";
    for (const fs::path& candidate : {beside, installed}) {
        if (fs::exists(candidate, error)) {
            return candidate.lexically_normal().string();
        }
    }
    throw bndhost::ModuleError("no filter module found (looked for " + beside.string() + " and " +
                               installed.lexically_normal().string() + "); name one with --plugin or FENNICK_PLUGIN");
}

// The first Ctrl-C asks the running operation to stop, which ends it with
// "interrupted"; a second one, or SIGTERM or SIGHUP, ends bndhost at once,
// removing a convert's unfinished files first.
void OnSignal(int signal)
{
    static volatile std::sig_atomic_t interrupts = 0;
    if (signal == SIGINT && interrupts == 0) {
        interrupts = 1;
        bndhost::HostManager::RequestStop();
        return;
    }
    bndhost::StagedOutput::RemoveInSignalHandler();
    ::_exit(signal == SIGINT ? bndhost::ExitInterrupted : 128 + signal);
}

void HandleSignals()
{
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    // A file-size limit then fails the write with an error instead of killing bndhost.
    std::signal(SIGXFSZ, SIG_IGN);
}

Exit Run(int argc, char** argv)
{
    std::string plugin;
    auto answer = bndhost::HostManager::Answer::Ask;
    bool quiet = false;
    Flags flags;
    bool bandGiven = false;
    const option options[] = {
        {"plugin", required_argument, nullptr, 'p'},
        {"yes", no_argument, nullptr, 'y'},
        {"no", no_argument, nullptr, 'n'},
        {"quiet", no_argument, nullptr, 'q'},
        {"band", required_argument, nullptr, 'b'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {"json", no_argument, nullptr, 'j'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    // GNU getopt_long moves options found after the command (preview FILE
    // OUT.png --band N) in front of the operands.
    int c = 0;
    while ((c = getopt_long(argc, argv, ":h", options, nullptr)) != -1) {
        switch (c) {
        case 'p': plugin = optarg; break;
        case 'y': answer = bndhost::HostManager::Answer::Yes; break;
        case 'n': answer = bndhost::HostManager::Answer::No; break;
        case 'q': quiet = true; break;
        case 'b': {
            char* end = nullptr;
            const long value = std::strtol(optarg, &end, 10);
            if (*optarg == '\0' || *end != '\0' || value < 0 || value > 1000000) {
                return Usage(std::string("--band needs a band number, not '") + optarg + "'");
            }
            flags.band = static_cast<int>(value);
            bandGiven = true;
            break;
        }
        case 'j': flags.json = true; break;
        case 'h': std::cout << Help(); return bndhost::ExitDone;
        case 'V': std::cout << "bndhost (fennick) " << FENNICK_VERSION << '\n'; return bndhost::ExitDone;
        case ':': return Usage(std::string(argv[optind - 1]) + " needs a value");
        default: return Usage(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    const std::vector<std::string> args(argv + optind, argv + argc);
    if (args.empty()) {
        return Usage("no command given");
    }
    const Command* command = FindCommand(args[0]);
    if (command == nullptr) {
        return Usage("unknown command '" + args[0] + "'");
    }
    const std::vector<std::string> operands(args.begin() + 1, args.end());
    if (operands.size() < command->fewest || operands.size() > command->most) {
        return Usage(command->takes);
    }
    if (bandGiven && std::string_view(command->name) != "preview") {
        return Usage("--band belongs to preview");
    }
    if (flags.json && std::string_view(command->name) != "info") {
        return Usage("--json belongs to info");
    }

    HandleSignals();
    bndhost::Session session(FindModule(plugin), answer, quiet);
    return command->run(session, operands, flags);
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        bndhost::Complain("not enough memory");
    } catch (const std::exception& error) {
        bndhost::Complain(error.what());
    }
    return bndhost::ExitError;
}
