// bndhost: a command-line host that loads the fennick module by path and
// drives its filters as the host application would.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <getopt.h>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "HostManager.h"
#include "ModuleLoader.h"
#include "Outputs.h"
#include "Session.h"
#include "System.h"
#include "hostside/IoError.h"
#include "support/Platform.h"

namespace {

namespace fs = std::filesystem;
using bndhost::Command;
using bndhost::Exit;
using bndhost::Flags;

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : bndhost::CommandTable()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
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
    const fs::path folder = bndhost::sys::ProgramFolder();
    const fs::path beside = folder / bndhost::sys::kModuleFileName;
    const fs::path installed = folder / FENNICK_PLUGIN_RELATIVE_DIR / bndhost::sys::kModuleFileName;
    for (const fs::path& candidate : {beside, installed}) {
        if (fs::exists(candidate, error)) {
            return fennick::platform::TextOf(candidate.lexically_normal());
        }
    }
    throw bndhost::ModuleError("no filter module found (looked for " + fennick::platform::TextOf(beside) + " and " +
                               fennick::platform::TextOf(installed.lexically_normal()) +
                               "); name one with --plugin or FENNICK_PLUGIN");
}

// A signal asks the running operation to stop, which ends it with
// "interrupted"; outside the module's work a second Ctrl-C, or a request to
// end, ends bndhost at once, removing its own unfinished file first.
void HandleSignals()
{
    bndhost::sys::HandleInterrupts(bndhost::HostManager::RequestStop, bndhost::TextOutput::RemoveInSignalHandler);
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
        case 'y':
        case 'n': {
            const auto given = c == 'y' ? bndhost::HostManager::Answer::Yes : bndhost::HostManager::Answer::No;
            if (answer != bndhost::HostManager::Answer::Ask && answer != given) {
                return Usage("--yes and --no answer the same question: give one");
            }
            answer = given;
            break;
        }
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
        case 'h': std::cout << bndhost::kHelp; return bndhost::ExitDone;
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
    // Every operand is a path, made one here, where it enters.
    std::vector<fs::path> operands;
    for (auto it = args.begin() + 1; it != args.end(); ++it) {
        operands.push_back(fennick::platform::PathOf(*it));
    }
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

// What a command wrote to standard output must have reached it. A command
// that a signal ended (a closed pipe among them) ends with its status.
Exit CheckStandardOutput(Exit result)
{
    if (result == bndhost::ExitDone && (!std::cout.flush() || std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
        if (bndhost::sys::EndingStatus() == 0) {
            bndhost::Complain(std::string("cannot write the standard output: ") + std::strerror(errno));
        }
        result = bndhost::ExitError;
    }
    const int status = bndhost::sys::EndingStatus();
    return result != bndhost::ExitDone && status != 0 ? static_cast<Exit>(status) : result;
}

} // namespace

int main(int argc, char** argv)
{
    bndhost::sys::BinaryStandardStreams();
    try {
        std::vector<std::string> arguments = bndhost::sys::Arguments(argc, argv);
        std::vector<char*> pointers;
        pointers.reserve(arguments.size() + 1);
        for (std::string& argument : arguments) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        return CheckStandardOutput(Run(static_cast<int>(arguments.size()), pointers.data()));
    } catch (const std::bad_alloc&) {
        bndhost::Complain("not enough memory");
    } catch (const std::exception& error) {
        if (bndhost::sys::EndingStatus() == 0) { // else what failed is what the signal ended
            bndhost::Complain(bndhost::TextOutput::AsGiven(error.what()));
        }
    }
    return CheckStandardOutput(bndhost::ExitError);
}
