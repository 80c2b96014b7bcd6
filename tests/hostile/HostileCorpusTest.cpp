// The malformed and malicious file sets of tests/data/hostile.cases.
#include <gtest/gtest.h>

#include "hostside/IoError.h"
#include "import/BndImportFilter.h"
#include "support/AllocationWatch.h"
#include "support/CaseFile.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

TEST(HostileCorpus, EveryCaseEndsCleanlyWithoutOversizedAllocations)
{
    constexpr std::size_t kJustified = 4 << 20; // the largest file here is 1 MiB
    const bool watching = AllocationWatchSeesArrays();
    for (const Case& c : ReadCases("hostile.cases")) {
        SCOPED_TRACE(c.name + " (hostile.cases line " + std::to_string(c.line) + ")");
        TempDir dir;
        dir.Lay("scene.hdr", c.Get("hdr", "<missing>"));
        dir.Lay("scene.bil", c.Get("data", std::string(12, 'x')));
        for (const char* side : {"blw", "stx"}) {
            if (c.Has(side)) {
                dir.Lay(std::string("scene.") + side, c.Get(side));
            }
        }
        const std::string path = dir.File("scene.bil");
        TestHost host;
        host.warningAnswer = 1;
        BndImportFilter filter(host);

        ResetLargestAllocation();
        EXPECT_EQ(filter.ProbeFile(path.c_str()), std::stoi(c.Get("probe")));
        EXPECT_TRUE(!watching || LargestAllocation() >= std::size_t{64} * 1024) << "the watch sees the file buffer";
        std::string said;
        std::string ended = "silently";
        orvo::ImportStatus status = orvo::ImportStatus::Done;
        try {
            status = filter.ImportFromFile(path.c_str(), false);
        } catch (const orvo::IoError& error) {
            ended = "host-error";
            said = error.what();
        } catch (const std::exception& error) {
            ended = "other-error";
            said = error.what();
        }
        EXPECT_TRUE(!watching || LargestAllocation() < kJustified) << LargestAllocation();
        EXPECT_EQ(ended, c.Get("ends")) << said;
        EXPECT_NE(said.find(c.Get("said")), std::string::npos) << said;
        if (ended == "silently") {
            EXPECT_EQ(status, orvo::ImportStatus::Stopped);
        }
        EXPECT_FALSE(host.lattice) << "the host receives nothing from a refused file";
        EXPECT_FALSE(host.ProgressOpen());
    }
}

} // namespace
} // namespace fennick::test
