// bndhost under a failing system: each file operation in turn fails (or
// transfers only part of what was asked), and every run must either give
// exactly the fault-free result or end with status 1 and one clear line,
// leaving no output, no temporary file and the input as it was.
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

    // Removes every file of `files` that is not an input.
    void RemoveOutputs(const Snapshot& files) const
    {
        for (const auto& [name, bytes] : files) {
            if (inputs.count(name) == 0) {
                fs::remove(dir.File(name));
            }
        }
    }

    TempDir dir;
    Snapshot inputs;
};

TEST_F(FaultSweep, EveryFailedOperationEndsCleanlyOrChangesNothing)
{
    const char* commands[] = {"info in.bil", "convert in.bil out.bil", "convert in.bil out.bip",
                              "convert in.bil out.bsq"};
    int succeeded = 0;
    int failed = 0;
    for (const char* command : commands) {
        long calls = 0;
        const ProgramRun clean = Bndhost(dir, command, "none", 0, &calls);
        ASSERT_EQ(clean.status, 0) << command << ": " << clean.err;
        ASSERT_GT(calls, 10) << "the shim sees the file operations";
        const auto produced = FilesIn(dir);
        RemoveOutputs(produced);
        for (const char* kind : {"eio", "short"}) {
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
                    EXPECT_EQ(run.status, 1) << run.err;
                    EXPECT_TRUE(IsOneBndhostLine(run.err)) << run.err;
                    EXPECT_EQ(run.err.find("(the data file has"), std::string::npos) << "the input is complete";
                    EXPECT_TRUE(files == inputs) << "an output or temporary file is left, or the input changed";
                }
                RemoveOutputs(files);
                if (HasFailure()) {
                    return;
                }
            }
        }
    }
    std::cout << "fault sweep: " << succeeded << " runs gave the fault-free result, " << failed
              << " ended with a clear error\n";
}

// Ctrl-C during a convert keeps the previous output; a second one, or
// SIGTERM, ends bndhost at once, and removes the unfinished files all the same.
TEST_F(FaultSweep, InterruptsKeepThePreviousOutput)
{
    dir.Write("out.bsq", "old data");
    dir.Write("out.hdr", "old header");
    const auto before = FilesIn(dir);
    long calls = 0;
    Bndhost(dir, "convert in.bil elsewhere.bsq", "none", 0, &calls);
    ASSERT_GT(calls, 10);
    fs::remove(dir.File("elsewhere.bsq"));
    fs::remove(dir.File("elsewhere.hdr"));
    for (const char* kind : {"interrupt", "interrupt2", "terminate"}) {
        for (const long call : {1L, 3L, calls / 2, calls}) {
            SCOPED_TRACE(std::string(kind) + " at call " + std::to_string(call));
            const ProgramRun run = Bndhost(dir, "convert in.bil out.bsq", kind, call);
            EXPECT_EQ(run.status, std::string(kind) == "terminate" ? 128 + 15 : 130) << run.err;
            if (std::string(kind) == "interrupt") {
                EXPECT_EQ(run.err, "bndhost: interrupted\n");
            }
            EXPECT_TRUE(FilesIn(dir) == before) << "the previous output changed or a temporary file is left";
        }
    }
}

} // namespace
} // namespace fennick::test
