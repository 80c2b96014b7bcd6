// bndhost under a failing system: each file operation in turn fails,
// transfers only part of what was asked, or is met by a signal, and every run
// must either give exactly the fault-free result or end with the fault's
// status and one clear line, leaving the folder as it was.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "RasterWriter.h"
#include "support/RunProgram.h"

namespace fennick::test {
namespace {

// A convert replaces a previous raster of another shape (out.bip, out.bsq)
// or makes a new one (out.bil), from 16-bit samples in three bands with world
// and statistics files: several buffer refills on both sides.
TEST(FaultSweep, EveryFailedOperationEndsCleanlyOrChangesNothing)
{
    const TempDir dir;
    const TempDir report;
    const rasters::RasterShape shape{.nbits = 16, .nrows = 120, .ncols = 150, .nbands = 3};
    rasters::WriteRaster(dir.File("in.bil"), shape, rasters::Of(MakeSamples(shape)));
    dir.Write("in.blw", "2\n0\n0\n-2\n100\n500\n");
    dir.Write("in.stx", "1 0 65535\n2 0 65535\n3 0 65535\n");
    const auto inputs = FilesIn(dir);
    const auto run = [&](const std::string& command, const std::string& kind, long call) {
        return RunIn(dir, CommandLine(BNDHOST_PATH, "--quiet " + command),
                     {.environment = {{"LD_PRELOAD", FAULT_SHIM_PATH},
                                      {"FENNICK_FAULT_REPORT", report.File("calls")},
                                      {"FENNICK_FAULT_KIND", kind},
                                      {"FENNICK_FAULT_CALL", std::to_string(call)}}});
    };
    const auto restore = [&](const std::map<std::string, std::vector<unsigned char>>& files) {
        for (const auto& [name, bytes] : FilesIn(dir)) {
            if (!files.contains(name)) {
                std::filesystem::remove(dir.File(name));
            } else if (files.at(name) != bytes) {
                dir.Write(name, std::string(files.at(name).begin(), files.at(name).end()));
            }
        }
    };
    // What each fault does, and the status of a run that it ends.
    const std::pair<const char*, int> kinds[] = {{"eio", 1},          {"short", 1},       {"interrupt", 130},
                                                 {"interrupt2", 130}, {"terminate", 143}, {"quit", 131},
                                                 {"pipe", 141}};
    for (const std::string command :
         {"info in.bil", "convert in.bil out.bil", "convert in.bil out.bip", "convert in.bil out.bsq"}) {
        if (!command.ends_with(".bil")) {
            dir.Write(command.substr(command.size() - 7), "previous data");
            dir.Write("out.hdr", "nrows 2\nncols 13\nlayout BSQ\n");
        }
        const auto before = FilesIn(dir);
        const ProgramRun clean = run(command, "none", 0);
        const long calls = std::atol(ReadText(report.File("calls")).c_str());
        ASSERT_EQ(clean.status, 0) << command << ": " << clean.err;
        ASSERT_GT(calls, 10) << "the shim sees the file operations";
        const auto produced = FilesIn(dir);
        restore(before);
        for (const auto& [kind, status] : kinds) {
            for (long call = 1; call <= calls && !HasFailure(); ++call) {
                SCOPED_TRACE(command + ", " + kind + " at call " + std::to_string(call));
                const ProgramRun faulted = run(command, kind, call);
                if (faulted.status == 0) {
                    EXPECT_EQ(faulted.out + faulted.err, clean.out);
                    EXPECT_TRUE(FilesIn(dir) == produced) << "the result differs from the fault-free one";
                } else {
                    EXPECT_EQ(faulted.status, status) << faulted.err;
                    EXPECT_TRUE(status != 1 || IsOneBndhostLine(faulted.err)) << faulted.err;
                    EXPECT_TRUE(std::string(kind) != "interrupt" || faulted.err == "bndhost: interrupted\n");
                    EXPECT_TRUE(std::string(kind) != "pipe" || faulted.err.empty()) << "a closed pipe goes unsaid";
                    EXPECT_EQ(faulted.err.find("(the data file has"), std::string::npos) << "the input is complete";
                    EXPECT_EQ(faulted.err.find(".fennick-"), std::string::npos) << "a message names a temporary";
                    EXPECT_TRUE(FilesIn(dir) == before) << "an output or temporary is left, or a file changed";
                }
                restore(before);
            }
        }
        restore(inputs);
    }
}

} // namespace
} // namespace fennick::test
