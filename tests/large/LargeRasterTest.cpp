// An 8 GiB raster through bndhost in both directions: BIL in, BSQ out, and
// back. Checks marker samples at offsets past 4 GiB, and that each run's peak
// memory stays bounded whatever the raster's size.
//
// The input is sparse, so only the outputs take disk: about 16 GiB. The folder
// is $FENNICK_LARGE_DIR, else the system's temporary folder; the test is
// skipped where that folder cannot hold sparse files or has too little room.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kRows = 32768;
constexpr std::int64_t kCols = 32768;
constexpr std::int64_t kBands = 2;
constexpr std::int64_t kDataBytes = kRows * kCols * kBands * 4; // 8 GiB
constexpr long kPeakLimitKiB = 32 * 1024;

// Rows that carry markers: the first, the last, and both sides of 4 GiB.
constexpr std::array<std::int64_t, 6> kMarkedRows = {0, 1, 12345, 16383, 16384, kRows - 1};

std::int32_t Marker(std::int64_t row, std::int64_t band)
{
    return static_cast<std::int32_t>((row + 1) * (band == 0 ? 1 : -1));
}
std::int64_t MarkerColumn(std::int64_t row)
{
    return (row * 7919) % kCols;
}

std::int64_t BilOffset(std::int64_t row, std::int64_t band, std::int64_t col)
{
    return ((row * kBands + band) * kCols + col) * 4;
}
std::int64_t BsqOffset(std::int64_t row, std::int64_t band, std::int64_t col)
{
    return ((band * kRows + row) * kCols + col) * 4;
}

fs::path LargeBase()
{
    const char* chosen = std::getenv("FENNICK_LARGE_DIR");
    return chosen != nullptr ? fs::path(chosen) : fs::temp_directory_path();
}

// Writes the sparse input raster with its markers; false if it cannot.
bool WriteSparseInput(const fs::path& data)
{
    std::vector<std::pair<std::int64_t, std::string>> markers;
    for (const std::int64_t row : kMarkedRows) {
        for (std::int64_t band = 0; band < kBands; ++band) {
            const auto value = static_cast<std::uint32_t>(Marker(row, band));
            std::string bytes(4, '\0');
            for (std::size_t k = 0; k < 4; ++k) {
                bytes[k] = static_cast<char>(value >> (8 * k));
            }
            markers.emplace_back(BilOffset(row, band, MarkerColumn(row)), bytes);
        }
    }
    return fennick::test::WriteSparse(data.string(), kDataBytes, markers);
}

bool IsSparse(const fs::path& file)
{
    struct stat facts {};
    return ::stat(file.c_str(), &facts) == 0 && facts.st_blocks * 512 < 64 * 1024 * 1024;
}

std::int32_t SampleAt(const fs::path& file, std::int64_t offset)
{
    std::array<unsigned char, 4> bytes{};
    const int fd = ::open(file.c_str(), O_RDONLY);
    const bool read = fd >= 0 && ::pread(fd, bytes.data(), 4, offset) == 4;
    if (fd >= 0) {
        ::close(fd);
    }
    EXPECT_TRUE(read) << file << " at " << offset;
    return static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                     std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
}

struct SpawnedRun {
    int status = -1;
    long peakKiB = 0;
};

// Runs bndhost with `arguments`, its output discarded; gives its exit status
// and peak resident memory.
SpawnedRun RunBndhost(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words = {BNDHOST_PATH, "--quiet"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t child = 0;
    SpawnedRun run;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int raw = 0;
        rusage usage{};
        if (::wait4(child, &raw, 0, &usage) == child && WIFEXITED(raw)) {
            run.status = WEXITSTATUS(raw);
            run.peakKiB = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// Converts `from` to `to` and checks the output's size, its markers at
// `offsetOf` and a zero beside each; returns the run's peak memory in KiB.
long ConvertAndCheck(const fs::path& from, const fs::path& to,
                     std::int64_t (*offsetOf)(std::int64_t, std::int64_t, std::int64_t))
{
    const SpawnedRun run = RunBndhost({"convert", from.string(), to.string()});
    EXPECT_EQ(run.status, 0) << from << " to " << to;
    if (run.status != 0) {
        return run.peakKiB;
    }
    EXPECT_EQ(fs::file_size(to), static_cast<std::uintmax_t>(kDataBytes)) << to;
    for (const std::int64_t row : kMarkedRows) {
        for (std::int64_t band = 0; band < kBands; ++band) {
            EXPECT_EQ(SampleAt(to, offsetOf(row, band, MarkerColumn(row))), Marker(row, band))
                << to << " row " << row << " band " << band;
            EXPECT_EQ(SampleAt(to, offsetOf(row, band, (MarkerColumn(row) + 1) % kCols)), 0);
        }
    }
    EXPECT_LE(run.peakKiB, kPeakLimitKiB) << from << " to " << to;
    return run.peakKiB;
}

TEST(LargeRaster, EightGibibytesGoThroughBilAndBsqInBoundedMemory)
{
    const fennick::test::TempDir folder(LargeBase());
    const fs::path input = folder.Path() / "big.bil";
    if (!WriteSparseInput(input) || !IsSparse(input)) {
        GTEST_SKIP() << folder.Path() << " cannot hold a sparse 8 GiB file";
    }
    if (fs::space(folder.Path()).available < static_cast<std::uintmax_t>(2 * kDataBytes + (1LL << 30))) {
        GTEST_SKIP() << folder.Path() << " has less than 17 GiB free";
    }
    folder.Write("big.hdr", "nrows " + std::to_string(kRows) + "\nncols " + std::to_string(kCols) + "\nnbands " +
                                std::to_string(kBands) + "\nnbits 32\nbyteorder I\nlayout BIL\n");
    const fs::path bsq = folder.Path() / "big-out.bsq";
    const long toBsq = ConvertAndCheck(input, bsq, BsqOffset);
    ASSERT_FALSE(HasFailure());
    const long toBil = ConvertAndCheck(bsq, folder.Path() / "back.bil", BilOffset);
    std::printf("peak memory: BIL to BSQ %.1f MiB, BSQ to BIL %.1f MiB\n", static_cast<double>(toBsq) / 1024,
                static_cast<double>(toBil) / 1024);
}

} // namespace
