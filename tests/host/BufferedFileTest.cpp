// The stand-in file behaviour that the import relies on: reads of any size
// across buffer edges, a plain end of file without a system error, and seeks
// that serve the buffer only while it still holds the bytes asked for.
#include "tamsel/BufferedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "hostside/FileError.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

using tamsel::CBufferedFile;
constexpr auto Share = CBufferedFile::ShareReadWrite;
constexpr std::size_t kBuffer = std::size_t{64} * 1024; // the stand-in's buffer size

std::vector<unsigned char> Pattern(std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>((i * 7 + i / 251) % 251);
    }
    return bytes;
}

// Overwrites bytes of a file behind the buffered file's back.
void Poke(const std::string& path, std::int64_t offset, unsigned char value)
{
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, &value, 1, offset), 1);
    ::close(fd);
}

TEST(BufferedFile, ReadsEveryChunkSizeAcrossBufferEdges)
{
    TempDir dir;
    const auto expected = Pattern(3 * kBuffer + 123);
    const std::string path = dir.Write("data.bin", expected);
    for (const unsigned int chunk : {1U, 3U, 4095U, 65535U, 65536U, 70001U, 300000U}) {
        CBufferedFile file(path.c_str(), "rb", Share, false);
        std::vector<unsigned char> got;
        std::vector<unsigned char> piece(chunk);
        unsigned int n = 0;
        while ((n = file.Read(piece.data(), chunk)) > 0) {
            got.insert(got.end(), piece.begin(), piece.begin() + n);
            if (n < chunk) {
                EXPECT_EQ(errno, 0) << "a plain end of file leaves no system error";
                break;
            }
        }
        EXPECT_EQ(got, expected) << "chunk " << chunk;
    }
}

TEST(BufferedFile, SeekInsideTheWindowKeepsTheBufferAndOutsideRereads)
{
    TempDir dir;
    const std::string path = dir.Write("data.bin", Pattern(4 * kBuffer));
    CBufferedFile file(path.c_str(), "rb", Share, false);
    unsigned char byte = 0;
    ASSERT_EQ(file.Read(&byte, 1), 1U);
    Poke(path, 10, 0xEE);
    Poke(path, 3 * kBuffer, 0xDD);

    EXPECT_EQ(file.Seek(10, CBufferedFile::Begin), 10);
    ASSERT_EQ(file.Read(&byte, 1), 1U);
    EXPECT_NE(byte, 0xEE) << "a seek inside the window serves the buffered byte";

    file.Seek(3 * kBuffer, CBufferedFile::Begin);
    ASSERT_EQ(file.Read(&byte, 1), 1U);
    EXPECT_EQ(byte, 0xDD);
    file.Seek(10, CBufferedFile::Begin);
    ASSERT_EQ(file.Read(&byte, 1), 1U);
    EXPECT_EQ(byte, 0xEE) << "a seek outside the window reads the file again";
    EXPECT_EQ(file.Seek(0, CBufferedFile::Current), 11);
    EXPECT_EQ(file.Seek(-1, CBufferedFile::End), 4 * static_cast<std::int64_t>(kBuffer) - 1);
    EXPECT_THROW(file.Seek(-1, CBufferedFile::Begin), tamsel::CFileError);
}

} // namespace
} // namespace fennick::test
