#include "tamsel/BufferedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
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

TEST(BufferedFile, LargeReadsAndWritesGoStraightThrough)
{
    TempDir dir;
    const auto expected = Pattern(5 * kBuffer + 17);
    const std::string path = dir.File("out.bin");
    {
        CBufferedFile file(path.c_str(), "wb", Share, false);
        file.Write(expected.data(), 5);
        file.Write(expected.data() + 5, static_cast<unsigned int>(expected.size() - 5));
        EXPECT_EQ(file.GetLength(), static_cast<std::int64_t>(expected.size()));
        file.Close();
        EXPECT_STREQ(file.GetFileName(), path.c_str());
    }
    EXPECT_EQ(ReadAll(path), expected);

    CBufferedFile file(path.c_str(), "rb", Share, false);
    std::vector<unsigned char> got(expected.size() + 10);
    ASSERT_EQ(file.Read(got.data(), 3), 3U);
    EXPECT_EQ(file.Read(got.data() + 3, static_cast<unsigned int>(got.size() - 3)), expected.size() - 3);
    got.resize(expected.size());
    EXPECT_EQ(got, expected);
}

TEST(BufferedFile, ReadStringSplitsLinesOfEveryEnding)
{
    TempDir dir;
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string longLine(kBuffer + 10, 'x');
    const std::vector<Case> cases = {
        {"", {}},
        {"one\ntwo\n", {"one", "two"}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\r\n\r\nlast", {"one", "", "last"}},
        {"\n\n", {"", ""}},
        {"cr\rinside\n", {"cr\rinside"}},
        {longLine + "\r\nend", {longLine, "end"}},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("text.txt", c.text);
        CBufferedFile file(path.c_str(), "rt", Share, false);
        std::vector<std::string> lines;
        std::string line = "stale";
        while (file.ReadString(line)) {
            lines.push_back(line);
        }
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(line, "") << "the end gives an empty line";
        EXPECT_FALSE(file.ReadString(line));
    }
}

TEST(BufferedFile, AbortRemovesAPartlyWrittenFileOnly)
{
    TempDir dir;
    const std::string written = dir.File("partial.bin");
    CBufferedFile out(written.c_str(), "wb", Share, false);
    out.Write("abc", 3);
    out.Abort(true);
    EXPECT_FALSE(out.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(written));

    const std::string kept = dir.Write("kept.bin", "abc");
    CBufferedFile in(kept.c_str(), "rb", Share, false);
    in.Abort(true);
    EXPECT_TRUE(std::filesystem::exists(kept)) << "a file opened for reading is never deleted";
}

TEST(BufferedFile, OpeningFailuresNameThePathAndTheReason)
{
    TempDir dir;
    const std::string missing = dir.File("missing.bin");
    try {
        CBufferedFile file(missing.c_str(), "rb", Share, false);
        FAIL() << "opening a missing file must throw";
    } catch (const tamsel::CFileError& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("No such file"), std::string::npos);
        EXPECT_EQ(error.GetErrorCode(), ENOENT);
    }
    CBufferedFile file;
    EXPECT_FALSE(file.OpenNoThrow(dir.Path().c_str(), "rt", Share, false)) << "a folder is not a file";
    EXPECT_FALSE(file.OpenNoThrow(missing.c_str(), "ab", Share, false)) << "unknown mode";
    EXPECT_FALSE(file.IsOpen());
    EXPECT_THROW(file.GetLength(), tamsel::CFileError);
}

// A FIFO (with or without a reader) or a device is refused at once, for
// reading and for writing, with a message that says what the path is.
TEST(BufferedFile, SpecialFilesAreRefusedWithoutBlockingOrTruncating)
{
    TempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const struct {
        const char* path;
        const char* mode;
        const char* kind;
    } cases[] = {
        {fifo.c_str(), "wb", "a FIFO"},
        {fifo.c_str(), "rb", "a FIFO"},
        {"/dev/null", "wb", "a character device"},
        {"/dev/zero", "rt", "a character device"},
    };
    for (const auto& c : cases) {
        try {
            CBufferedFile file(c.path, c.mode, Share, false);
            ADD_FAILURE() << c.path << " " << c.mode << " must be refused";
        } catch (const tamsel::CFileError& error) {
            EXPECT_NE(std::string(error.what()).find(c.kind), std::string::npos) << error.what();
        }
    }
    ::close(reader);
    CBufferedFile file;
    EXPECT_FALSE(file.OpenNoThrow(fifo.c_str(), "wb", Share, false)) << "a FIFO without a reader";
    EXPECT_FALSE(file.IsOpen());
}

TEST(BufferedFile, OffsetsBeyondFourGigabytesOnASparseFile)
{
    TempDir dir;
    const std::string path = dir.File("sparse.bin");
    constexpr std::int64_t far = (std::int64_t{5} << 30) + 3;
    {
        CBufferedFile file(path.c_str(), "wb", Share, false);
        file.Write("head", 4);
        file.Seek(far, CBufferedFile::Begin);
        file.Write("XYZ", 3);
        EXPECT_EQ(file.GetLength(), far + 3);
        file.Close();
    }
    CBufferedFile file(path.c_str(), "rb", Share, false);
    EXPECT_EQ(file.GetLength(), far + 3);
    file.Seek(far - 1, CBufferedFile::Begin);
    char got[5] = {};
    EXPECT_EQ(file.Read(got, 5), 4U);
    EXPECT_EQ(std::string(got, 4), std::string("\0XYZ", 4));
}

} // namespace
} // namespace fennick::test
