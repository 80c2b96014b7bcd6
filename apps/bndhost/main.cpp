// bndhost: a command-line host that loads the fennick module by path and
// drives its filters as the host application would.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <getopt.h>
#include <iostream>
#include <string>
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

constexpr const char* kHelp =
    R"(Usage: bndhost [--plugin PATH] [--yes | --no] [--quiet] COMMAND ...

Drives the fennick banded-raster filter module as a host application does.

Commands:
  info FILE                 probe and import FILE; print the probe result, the
                            lattice summary and each band's minimum, maximum, mean
  convert IN OUT            import IN and export it to OUT; OUT's extension picks
                            the layout (.bip, .bsq, anything else BIL)
  preview FILE OUT.png [--band N]
                            a grayscale PNG of band N (default 0), scaled from
                            the band's minimum to its maximum
  demo [DIR]                write a sample raster into DIR (default: a new folder
                            under the temporary folder), convert it to BIL, BIP
                            and BSQ, import each back and check every value

Options:
  --plugin PATH   the filter module (default: $FENNICK_PLUGIN, else fennick.so
                  beside bndhost, else the installed one)
  --yes, --no     the answer to the module's questions when there is no
                  terminal to ask (without either, the answer is no)
  --quiet         no progress display
  -h, --help      this text
  --version       bndhost's version

convert writes the new pair under temporary names beside OUT and moves them
into place only when complete, so an existing OUT stays as it was on any error
or interruption; it refuses an OUT whose data file or header is IN or one of
IN's files.

Exit status: 0 done; 1 error (its message is one line on stderr, including a
data file shorter than its header says); 2 stopped, declined, refused or not
importable; 64 usage error; 130 interrupted (Ctrl-C).
)";

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
    int band = 0;
    bool bandGiven = false;
    const option options[] = {
        {"plugin", required_argument, nullptr, 'p'}, {"yes", no_argument, nullptr, 'y'},
        {"no", no_argument, nullptr, 'n'},           {"quiet", no_argument, nullptr, 'q'},
        {"band", required_argument, nullptr, 'b'},   {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},      {nullptr, 0, nullptr, 0},
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
            band = static_cast<int>(value);
            bandGiven = true;
            break;
        }
        case 'h': std::cout << kHelp; return bndhost::ExitDone;
        case 'V': std::cout << "bndhost (fennick) " << FENNICK_VERSION << '\n'; return bndhost::ExitDone;
        case ':': return Usage(std::string(argv[optind - 1]) + " needs a value");
        default: return Usage(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    const std::vector<std::string> args(argv + optind, argv + argc);
    if (args.empty()) {
        return Usage("no command given");
    }
    const std::string& command = args[0];
    const std::size_t operands = args.size() - 1;
    const auto needs = [&](std::size_t low, std::size_t high) { return operands >= low && operands <= high; };
    if (command == "info" && !needs(1, 1)) {
        return Usage("info takes one FILE");
    }
    if (command == "convert" && !needs(2, 2)) {
        return Usage("convert takes IN and OUT");
    }
    if (command == "preview" && !needs(2, 2)) {
        return Usage("preview takes FILE and OUT.png");
    }
    if (command == "demo" && !needs(0, 1)) {
        return Usage("demo takes at most one DIR");
    }
    if (command != "info" && command != "convert" && command != "preview" && command != "demo") {
        return Usage("unknown command '" + command + "'");
    }
    if (bandGiven && command != "preview") {
        return Usage("--band belongs to preview");
    }

    HandleSignals();
    bndhost::Session session(FindModule(plugin), answer, quiet);
    if (command == "info") {
        return bndhost::RunInfo(session, args[1], std::cout);
    }
    if (command == "convert") {
        return bndhost::RunConvert(session, args[1], args[2]);
    }
    if (command == "preview") {
        return bndhost::RunPreview(session, args[1], args[2], band, std::cout);
    }
    return bndhost::RunDemo(session, operands == 1 ? args[1] : std::string(), std::cout);
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
