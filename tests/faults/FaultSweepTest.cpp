// bndhost under a failing system: each file operation in turn fails,
// transfers only part of what was asked, or is met by a signal, and every run
// must either give exactly the fault-free result or end with status 1 and one
// clear line (or the signal's status), leaving the folder as it was.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

#include "RasterWriter.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

using rasters::RasterShape;

namespace fs = std::filesystem;

using Snapshot = std::map<std::string, std::vector<unsigned char>>;

// Runs bndhost in `dir` with file call `call` failing as `kind` says; `calls`
// gets the number of file calls the shim counted.
ProgramRun Bndhost(const TempDir& dir, const std::string& arguments, const std::string& kind, long call,
                   long* calls = nullptr)
{
    const TempDir report;
    const ProgramRun run = RunIn(dir, CommandLine(BNDHOST_PATH, "--quiet " + arguments),
                                 {.environment = {{"LD_PRELOAD", FAULT_SHIM_PATH},
                                                  {"FENNICK_FAULT_REPORT", report.File("calls")},
                                                  {"FENNICK_FAULT_KIND", kind},
                                                  {"FENNICK_FAULT_CALL", std::to_string(call)}}});
    if (calls != nullptr) {
        *calls = std::atol(ReadText(report.File("calls")).c_str());
    }
    return run;
}

class FaultSweep : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 16-bit, three bands, with world and statistics files: several
        // buffer refills on both sides of a convert.
        RasterShape shape{.nbits = 16, .nrows = 120, .ncols = 150, .nbands = 3};
        rasters::WriteRaster(dir.File("in.bil"), shape, rasters::Of(MakeSamples(shape)));
        dir.Write("in.blw", "2\n0\n0\n-2\n100\n500\n");
        dir.Write("in.stx", "1 0 65535\n2 0 65535\n3 0 65535\n");
        inputs = FilesIn(dir);
    }

    // Puts the folder back as `files` holds it.
    void Restore(const Snapshot& files) const
    {
        for (const auto& [name, bytes] : FilesIn(dir)) {
            if (files.count(name) == 0) {
                fs::remove(dir.File(name));
            } else if (files.at(name) != bytes) {
                dir.Write(name, std::string(files.at(name).begin(), files.at(name).end()));
            }
        }
    }

    TempDir dir;
    Snapshot inputs;
};

// Every read, write, close, rename and removal fails in turn, or is met by
// a signal that ends bndhost. A convert replaces a previous raster of another
// shape (out.bip, out.bsq) or makes a new one (out.bil): it ends with either
// the new raster complete or the folder as it was, never a temporary.
TEST_F(FaultSweep, EveryFailedOperationEndsCleanlyOrChangesNothing)
{
    const struct {
        const char* command;
        const char* previous; // the previous raster's data file, replaced by the convert
    } sweeps[] = {{"info in.bil", nullptr},
                  {"convert in.bil out.bil", nullptr},
                  {"convert in.bil out.bip", "out.bip"},
                  {"convert in.bil out.bsq", "out.bsq"}};
    // What each fault does, and the status of a run that it ends.
    const std::pair<const char*, int> kinds[] = {{"eio", 1},          {"short", 1},       {"interrupt", 130},
                                                 {"interrupt2", 130}, {"terminate", 143}, {"quit", 131},
                                                 {"pipe", 141}};
    int succeeded = 0;
    int failed = 0;
    for (const auto& [command, previous] : sweeps) {
        if (previous != nullptr) {
            dir.Write(previous, "previous data");
            dir.Write("out.hdr", "nrows 2\nncols 13\nlayout BSQ\n");
        }
        const Snapshot before = FilesIn(dir);
        long calls = 0;
        const ProgramRun clean = Bndhost(dir, command, "none", 0, &calls);
        ASSERT_EQ(clean.status, 0) << command << ": " << clean.err;
        ASSERT_GT(calls, 10) << "the shim sees the file operations";
        const Snapshot produced = FilesIn(dir);
        Restore(before);
        for (const auto& [kind, status] : kinds) {
            for (long call = 1; call <= calls; ++call) {
                SCOPED_TRACE(std::string(command) + ", " + kind + " at call " + std::to_string(call));
                const ProgramRun run = Bndhost(dir, command, kind, call);
                const auto files = FilesIn(dir);
                if (run.status == 0) {
                    ++succeeded;
                    EXPECT_EQ(run.out, clean.out);
                    EXPECT_TRUE(files == produced) << "the result differs from the fault-free one";
                    EXPECT_EQ(run.err, "");
                } else {
                    ++failed;
                    EXPECT_EQ(run.status, status) << run.err;
                    EXPECT_TRUE(status != 1 || IsOneBndhostLine(run.err)) << run.err;
                    EXPECT_TRUE(std::string(kind) != "interrupt" || run.err == "bndhost: interrupted\n") << run.err;
                    EXPECT_TRUE(std::string(kind) != "pipe" || run.err.empty()) << "a closed pipe goes unsaid";
                    EXPECT_EQ(run.err.find("(the data file has"), std::string::npos) << "the input is complete";
                    EXPECT_EQ(run.err.find(".fennick-"), std::string::npos) << "a message names a temporary";
                    EXPECT_TRUE(files == before) << "an output or temporary file is left, or a file changed";
                }
                Restore(before);
                if (HasFailure()) {
                    return;
                }
            }
        }
        Restore(inputs);
    }
    std::cout << "fault sweep: " << succeeded << " runs gave the fault-free result, " << failed
              << " ended with a clear error or by the signal\n";
}

} // namespace
} // namespace fennick::test
