// Malformed and malicious file sets, each named for what it breaks. Every one
// must end in a clear error through the host's error path or a silent refusal,
// never a crash, a hang (a FIFO without a writer), or an allocation the files
// cannot justify.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "hostside/FileError.h"
#include "hostside/IoError.h"
#include "import/BndImportFilter.h"
#include "support/AllocationWatch.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

enum class Ends { HostError, FileError, Silently };

struct Hostile {
    const char* name;
    std::string header; // "<folder>" or "<missing>" for those cases
    std::string data;   // "<folder>" for a data path that is a folder
    int probe;
    Ends ends;
    std::string said; // part of the error's text
    std::string world = {};
    std::string stats = {};
};

const std::string kRows = "nrows 3\nncols 4\n";

std::vector<Hostile> Corpus()
{
    return {
        {"DeclaresFourQuintillionSamplesInFourBytes", "nrows 2000000000\nncols 2000000000\n", "tiny", 2,
         Ends::HostError, "does not appear to be complete"},
        {"NegativeBandCount", kRows + "nbands -3\n", std::string(12, 'x'), 0, Ends::HostError,
         "Invalid value -3 for nbands"},
        {"TwoBillionBands", kRows + "nbands 2000000000\n", std::string(12, 'x'), 0, Ends::HostError,
         "Invalid value 2000000000 for nbands"},
        {"NegativeBitWidth", kRows + "nbits -8\n", std::string(12, 'x'), 0, Ends::HostError,
         "Invalid value -8 for nbits"},
        {"SixtyFourBitSamples", kRows + "nbits 64\n", std::string(96, 'x'), 0, Ends::HostError,
         "Invalid value 64 for nbits"},
        {"NegativeSkip", kRows + "skipbytes -100\n", std::string(12, 'x'), 0, Ends::HostError,
         "Invalid value -100 for skipbytes"},
        {"NegativeBandGap", kRows + "nbands 2\nlayout BSQ\nbandgapbytes -4\n", std::string(24, 'x'), 0, Ends::HostError,
         "Invalid value -4 for bandgapbytes"},
        {"NegativeBandRowSize", kRows + "bandrowbytes -2\n", std::string(12, 'x'), 0, Ends::HostError,
         "Invalid value -2 for bandrowbytes"},
        {"NegativeRowSize", kRows + "totalrowbytes -100\n", std::string(12, 'x'), 0, Ends::HostError,
         "Invalid value -100 for totalrowbytes"},
        {"RowSizeOverflows32Bits", "nrows 3\nncols 1000000000\nnbits 32\n", std::string(12, 'x'), 0, Ends::HostError,
         "Invalid value 1000000000 for ncols"},
        {"BandSizesOverflow64Bits",
         "nrows 2000000000\nncols 2\nlayout BSQ\nnbands 2000000000\nbandrowbytes 2000000000\n"
         "bandgapbytes 2000000000\n",
         std::string(16, 'x'), 2, Ends::HostError, "does not appear to be complete"},
        {"HugeTotalRowSize", kRows + "totalrowbytes 2147483647\n", std::string(12, 'x'), 2, Ends::HostError,
         "does not appear to be complete"},
        {"IntegerBeyond64Bits", "nrows 99999999999999999999999\nncols 4\n", std::string(12, 'x'), 0, Ends::HostError,
         "Unknown record format at line 1"},
        {"BinaryHeader", std::string("nrows 3\0ncols 4\n", 16), std::string(12, 'x'), 0, Ends::HostError,
         "must be in ASCII form"},
        {"HeaderIsAFolder", "<folder>", std::string(12, 'x'), 0, Ends::HostError,
         "scene.hdr cannot be read (it is a folder)"},
        {"MissingHeader", "<missing>", std::string(12, 'x'), 0, Ends::HostError, "Unable to find the header file"},
        {"EmptyDataFile", kRows, "", 0, Ends::HostError, "does not appear to be complete"},
        {"DataShortByOneByte", kRows, std::string(11, 'x'), 2, Ends::HostError, "does not appear to be complete"},
        {"SkipBeyondTheEnd", kRows + "skipbytes 1000000\n", std::string(12, 'x'), 2, Ends::HostError,
         "does not appear to be complete"},
        {"WorldFileOfThreeLines", kRows, std::string(12, 'x'), 0, Ends::HostError, "Unknown record format at line 4",
         "30\n0\n0\n"},
        {"StatisticsLineOfTwoNumbers", kRows, std::string(12, 'x'), 0, Ends::HostError,
         "Unknown record format at line 2", "", "band min max\n1 5\n"},
        {"OneBitWithThreeBands", kRows + "nbits 1\nnbands 3\n", std::string(3, 'x'), 0, Ends::HostError,
         "When nbits is 1, nbands must also be 1."},
        {"DataFileIsAFolder", kRows, "<folder>", 0, Ends::HostError, "scene.bil cannot be read (it is a folder)"},
        {"HeaderIsAFifoWithoutWriter", "<fifo>", std::string(12, 'x'), 0, Ends::HostError,
         "scene.hdr cannot be read (it is a FIFO)"},
        {"HeaderIsASymbolicLinkLoop", "<loop>", std::string(12, 'x'), 0, Ends::HostError,
         "scene.hdr cannot be read (it is a symbolic link loop)"},
        {"DataFileIsAFifoWithoutWriter", kRows, "<fifo>", 0, Ends::HostError,
         "scene.bil cannot be read (it is a FIFO)"},
        {"DataFileIsADevice", kRows, "<device>", 0, Ends::HostError,
         "scene.bil cannot be read (it is a character device)"},
        {"WorldFileIsAFifo", kRows, std::string(12, 'x'), 0, Ends::HostError, "scene.blw cannot be read (it is a FIFO)",
         "<fifo>"},
        {"StatisticsFileIsAFolder", kRows, std::string(12, 'x'), 0, Ends::HostError,
         "scene.stx cannot be read (it is a folder)", "", "<folder>"},
        {"OneRowOnly", "nrows 1\nncols 4\n", std::string(4, 'x'), 0, Ends::Silently, ""},
        {"HeaderOfOneMegabyteLine", std::string(1 << 20, 'n'), std::string(12, 'x'), 0, Ends::Silently, ""},
    };
}

void Lay(const TempDir& dir, const std::string& name, const std::string& content)
{
    if (content == "<folder>") {
        std::filesystem::create_directory(dir.File(name));
    } else if (content == "<fifo>") {
        ASSERT_EQ(::mkfifo(dir.File(name).c_str(), 0600), 0);
    } else if (content == "<loop>") {
        std::filesystem::create_symlink(name, dir.File(name));
    } else if (content == "<device>") {
        std::filesystem::create_symlink("/dev/null", dir.File(name));
    } else if (content != "<missing>") {
        dir.Write(name, content);
    }
}

TEST(HostileCorpus, EveryCaseEndsCleanlyWithoutOversizedAllocations)
{
    constexpr std::size_t kJustified = 4 << 20; // the largest file here is 1 MiB
    for (const Hostile& c : Corpus()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Lay(dir, "scene.hdr", c.header);
        Lay(dir, "scene.bil", c.data);
        if (!c.world.empty()) {
            Lay(dir, "scene.blw", c.world);
        }
        if (!c.stats.empty()) {
            Lay(dir, "scene.stx", c.stats);
        }
        const std::string path = dir.File("scene.bil");
        TestHost host;
        host.warningAnswer = 1;
        BndImportFilter filter(host);

        ResetLargestAllocation();
        EXPECT_EQ(filter.ProbeFile(path.c_str()), c.probe);
        EXPECT_GE(LargestAllocation(), std::size_t{64} * 1024) << "the watch sees the file buffer";
        std::string said;
        orvo::ImportStatus status = orvo::ImportStatus::Done;
        Ends ended = Ends::Silently;
        try {
            status = filter.ImportFromFile(path.c_str(), false);
        } catch (const orvo::IoError& error) {
            ended = Ends::HostError;
            said = error.what();
        } catch (const tamsel::CFileError& error) {
            ended = Ends::FileError;
            said = error.what();
        }
        EXPECT_LT(LargestAllocation(), kJustified);
        EXPECT_EQ(ended, c.ends) << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        if (c.ends == Ends::Silently) {
            EXPECT_EQ(status, orvo::ImportStatus::Stopped);
        }
        EXPECT_FALSE(host.lattice) << "the host receives nothing from a refused file";
        EXPECT_FALSE(host.ProgressOpen());
    }
}

} // namespace
} // namespace fennick::test
