// bndhost: a command-line host that loads the fennick module by path and
// drives its filters as the host application would.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <getopt.h>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "ModuleLoader.h"
#include "Outputs.h"
#include "Session.h"
#include "System.h"
#include "files/Platform.h"

namespace bndhost {

namespace {

namespace fs = std::filesystem;
using fennick::platform::TextOf;

Exit Usage(const std::string& message)
{
    Complain(message);
    std::cerr << "Try 'bndhost --help'.\n";
    return ExitUsage;
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
    const fs::path folder = sys::ProgramFolder();
    const fs::path beside = folder / sys::kModuleFileName;
    const fs::path installed = (folder / FENNICK_PLUGIN_RELATIVE_DIR / sys::kModuleFileName).lexically_normal();
    for (const fs::path& candidate : {beside, installed}) {
        if (std::error_code error; fs::exists(candidate, error)) {
            return TextOf(candidate.lexically_normal());
        }
    }
    throw std::runtime_error("no filter module found (looked for " + TextOf(beside) + " and " + TextOf(installed) +
                             "); name one with --plugin or FENNICK_PLUGIN");
}

Exit Run(int argc, char** argv)
{
    std::string plugin;
    auto answer = Session::Answer::Ask;
    bool quiet = false;
    Call call;
    const option options[] = {{"plugin", required_argument, nullptr, 'p'},
                              {"yes", no_argument, nullptr, 'y'},
                              {"no", no_argument, nullptr, 'n'},
                              {"quiet", no_argument, nullptr, 'q'},
                              {"band", required_argument, nullptr, 'b'},
                              {"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, 'V'},
                              {"json", no_argument, nullptr, 'j'},
                              {nullptr, 0, nullptr, 0}};
    opterr = 0;
    // GNU getopt_long moves options found after the command (preview FILE
    // OUT.png --band N) in front of the operands.
    for (int c = 0; (c = getopt_long(argc, argv, ":h", options, nullptr)) != -1;) {
        switch (c) {
        case 'p': plugin = optarg; break;
        case 'y':
        case 'n': {
            const auto given = c == 'y' ? Session::Answer::Yes : Session::Answer::No;
            if (answer != Session::Answer::Ask && answer != given) {
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
            call.band = static_cast<int>(value);
            break;
        }
        case 'j': call.json = true; break;
        case 'h': std::cout << kHelp; return ExitDone;
        case 'V': std::cout << "bndhost (fennick) " << FENNICK_VERSION << '\n'; return ExitDone;
        case ':': return Usage(std::string(argv[optind - 1]) + " needs a value");
        default: return Usage(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (optind == argc) {
        return Usage("no command given");
    }
    const std::string_view name = argv[optind];
    const Command* command = nullptr;
    for (const Command& candidate : CommandTable()) {
        command = name == candidate.name ? &candidate : command;
    }
    if (command == nullptr) {
        return Usage("unknown command '" + std::string(name) + "'");
    }
    // Each operand becomes a path here, where it enters.
    for (int i = optind + 1; i < argc; ++i) {
        call.operands.push_back(fennick::platform::PathOf(argv[i]));
    }
    if (call.operands.size() < command->fewest || call.operands.size() > command->most) {
        return Usage(command->takes);
    }
    if (call.band && name != "preview") {
        return Usage("--band belongs to preview");
    }
    if (call.json && name != "info") {
        return Usage("--json belongs to info");
    }
    // A signal asks the running operation to stop; outside the module's work a
    // second Ctrl-C, or a request to end, ends bndhost at once, removing its
    // own unfinished file first.
    sys::HandleInterrupts(Session::RequestStop, TextOutput::RemoveInSignalHandler);
    Session session(FindModule(plugin), answer, quiet);
    return command->run(session, call);
}

// What a command wrote to standard output must have reached it. A command
// that a signal ended (a closed pipe among them) ends with its status.
Exit CheckStandardOutput(Exit result)
{
    if (result == ExitDone && (!std::cout.flush() || std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
        if (sys::EndingStatus() == 0) {
            Complain(std::string("cannot write the standard output: ") + std::strerror(errno));
        }
        result = ExitError;
    }
    const int status = sys::EndingStatus();
    return result != ExitDone && status != 0 ? static_cast<Exit>(status) : result;
}

} // namespace

} // namespace bndhost

int main(int argc, char** argv)
{
    using namespace bndhost;
    sys::BinaryStandardStreams();
    try {
        std::vector<std::string> arguments = sys::Arguments(argc, argv);
        std::vector<char*> pointers;
        pointers.reserve(arguments.size() + 1);
        for (std::string& argument : arguments) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        return CheckStandardOutput(Run(static_cast<int>(arguments.size()), pointers.data()));
    } catch (const std::bad_alloc&) {
        Complain("not enough memory");
    } catch (const std::exception& error) {
        if (sys::EndingStatus() == 0) { // else what failed is what the signal ended
            Complain(error.what());
        }
    }
    return CheckStandardOutput(ExitError);
}
