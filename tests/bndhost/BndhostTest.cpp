// bndhost as a person runs it: the real program on files the tests make.
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <thread>
#include <zlib.h>

#include "Json.h"
#include "RasterWriter.h"
#include "Session.h"
#include "support/CaseFile.h"
#include "support/Posix.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

namespace fs = std::filesystem;

class Bndhost : public ::testing::Test {
protected:
    // Runs bndhost with `arguments` (words split at spaces), no terminal, in `dir`.
    ProgramRun Run(const std::string& arguments) { return RunIn(dir, CommandLine(BNDHOST_PATH, arguments)); }

    TempDir dir;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// The pixels of an 8-bit grayscale PNG whose rows are all stored unfiltered,
// after checking its signature, every chunk's CRC and its header; empty when
// any of that fails.
std::vector<unsigned char> ReadGrayPng(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    const std::string file = ReadText(path);
    std::string packed;
    bool headerRight = false;
    for (std::size_t at = 8; file.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && at + 12 <= file.size();) {
        const std::uint32_t length = BigEndian(file, at);
        if (at + 12 + length > file.size()) {
            return {};
        }
        const std::string type = file.substr(at + 4, 4);
        const std::string data = file.substr(at + 8, length);
        const auto* checked = reinterpret_cast<const Bytef*>(file.data() + at + 4);
        if (::crc32(0, checked, length + 4) != BigEndian(file, at + 8 + length)) {
            return {};
        }
        if (type == "IHDR") {
            headerRight = length == 13 && BigEndian(data, 0) == width && BigEndian(data, 4) == height &&
                          data.substr(8) == std::string("\x08\0\0\0\0", 5);
        } else if (type == "IDAT") {
            packed += data;
        } else if (type == "IEND") {
            break;
        }
        at += 12 + length;
    }
    uLongf size = (width + 1) * height;
    std::vector<unsigned char> raw(size);
    if (!headerRight ||
        ::uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()),
                     static_cast<uLong>(packed.size())) != Z_OK ||
        size != raw.size()) {
        return {};
    }
    std::vector<unsigned char> pixels;
    for (std::size_t row = 0; row < height; ++row) {
        if (raw[row * (width + 1)] != 0) {
            return {};
        }
        pixels.insert(pixels.end(), raw.begin() + static_cast<std::ptrdiff_t>(row * (width + 1) + 1),
                      raw.begin() + static_cast<std::ptrdiff_t>((row + 1) * (width + 1)));
    }
    return pixels;
}

// The runs of tests/data/bndhost.cases: what each command prints and writes.
// A run that fails says so in one line (status 1), and changes and leaves no
// file; no message names a temporary file.
class BndhostCases : public CaseRows {
protected:
    // Runs bndhost with `arguments` in `folder`, as the row sets it up.
    static ProgramRun Run(const Case& c, const TempDir& folder, const std::string& arguments)
    {
        RunSettings settings{.output = c.Get("stdout"),
                             .fileSizeLimit = std::stoll(c.Get("limit", "0")),
                             .closedInput = c.Get("input") == "closed"};
        if (c.Has("terminal")) {
            settings.terminal = {c.Get("prompt"), c.Get("terminal"), c.Get("input") == "null"};
        }
        for (const auto& [key, value, line] : c.fields) {
            if (key.starts_with("env ")) {
                settings.environment.emplace_back(key.substr(4), value);
            }
        }
        const ProgramRun run = RunIn(folder, CommandLine(BNDHOST_PATH, arguments), settings);
        EXPECT_FALSE(Contains(run.err, ".fennick-")) << "a message names a temporary file: " << run.err;
        EXPECT_TRUE(run.status != 1 || IsOneBndhostLine(run.err)) << run.err;
        return run;
    }
};

TEST_P(BndhostCases, GiveTheOutputAndFilesTheRowSays)
{
    const Case& c = GetParam();
    const TempDir folder;
    LayFiles(c, folder);
    const auto before = FilesIn(folder);
    for (const auto& [key, value, line] : c.fields) {
        if (key.starts_with("run ")) {
            SCOPED_TRACE(c.At(line));
            const std::size_t space = key.find(' ', 4);
            const ProgramRun run = Run(c, folder, key.substr(space + 1));
            EXPECT_EQ(run.status, std::stoi(key.substr(4, space - 4))) << run.err;
            EXPECT_TRUE(Contains(run.err, value)) << run.err;
            EXPECT_EQ(run.out, "");
            EXPECT_TRUE(FilesIn(folder) == before) << "a failed run changed or left a file";
        }
    }
    if (!c.Has("run")) {
        return;
    }
    const auto [status, out, err] = Run(c, folder, c.Get("run"));
    // Both escaped, as gtest shows compared texts, whatever bndhost printed.
    const std::string shown = "out: " + testing::PrintToString(out) + "\nerr: " + testing::PrintToString(err);
    EXPECT_EQ(status, std::stoi(c.Get("status", "0"))) << shown;
    EXPECT_TRUE(!c.Has("out") || out == c.Get("out")) << shown;
    std::istringstream lines(c.Get("out-has"));
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(Contains("\n" + out, "\n" + line + "\n")) << "no line " << testing::PrintToString(line) << " in\n"
                                                              << shown;
    }
    EXPECT_TRUE(!c.Has("shows") || Contains(out, c.Get("shows"))) << shown;
    EXPECT_TRUE(!c.Has("hides") || !Contains(out, c.Get("hides"))) << shown;
    EXPECT_TRUE(c.Has("err-has") ? Contains(err, c.Get("err-has")) : err.empty()) << shown;
    const auto after = FilesIn(folder);
    EXPECT_TRUE(status == 0 || after == before) << "a failed run changed or left a file";
    std::string names;
    for (const auto& [name, bytes] : after) {
        names += (names.empty() ? "" : " ") + name;
    }
    EXPECT_EQ(names, c.Get("files", names));
    for (const auto& [key, value, line] : c.fields) { // each file expected is there, holding what it must
        if (key.starts_with("expect ")) {
            const auto file = after.find(key.substr(7));
            EXPECT_EQ(file == after.end() ? "(none)" : std::string(file->second.begin(), file->second.end()), value)
                << key;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, BndhostCases, testing::ValuesIn(ReadCases("bndhost.cases")), CaseName);

// A usage error says what is wrong, and where to look, in one line each, and
// exits with 64 before anything is read.
TEST_F(Bndhost, UsageErrorsSayWhatIsWrong)
{
    const struct {
        const char* arguments;
        const char* said;
    } cases[] = {
        {"", "no command given"},
        {"frobnicate", "unknown command 'frobnicate'"},
        {"convert in.bil", "convert takes IN and OUT"},
        {"--band 2 info in.bil", "--band belongs to preview"},
        {"--yes --no info in.bil", "--yes and --no answer the same question: give one"},
        {"--plugin", "--plugin needs a value"},
        {"--colour info in.bil", "unknown option '--colour'"},
        {"preview in.bil out.png --band x", "--band needs a band number, not 'x'"},
        {"preview in.bil out.png --band -1", "--band needs a band number, not '-1'"},
        {"preview in.bil out.png --band 2x", "--band needs a band number, not '2x'"},
        {"preview in.bil out.png --band 1000001", "--band needs a band number, not '1000001'"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Run(c.arguments);
        EXPECT_EQ(run.status, 64) << c.arguments;
        EXPECT_EQ(run.err, "bndhost: " + std::string(c.said) + "\nTry 'bndhost --help'.\n") << c.arguments;
        EXPECT_EQ(run.out, "");
    }
}

// A file the user may not write is not replaced, as cp would not (root
// may); a replaced file keeps its permission bits (the failures that keep
// the old pair are case rows).
TEST_F(Bndhost, AReplacedOutputKeepsItsPermissionsAndAReadOnlyOneStays)
{
    dir.Write("in.hdr", "nrows 2\nncols 2\n");
    dir.Write("in.bil", "1234");
    dir.Write("old.bsq", "old data");
    dir.Write("old.hdr", "nrows 2\nncols 4\nlayout BSQ\n");
    fs::permissions(dir.File("old.hdr"), fs::perms::owner_read);
    const ProgramRun readOnly = Run("--quiet convert in.bil old.bsq");
    EXPECT_EQ(readOnly.status, IsSuperUser() ? 0 : 1) << readOnly.err;
    EXPECT_TRUE(IsSuperUser() || Contains(readOnly.err, "bndhost: old.hdr may not be written (")) << readOnly.err;

    const auto readWrite = fs::perms::owner_read | fs::perms::owner_write;
    const auto alsoGroupRead = kPosix ? readWrite | fs::perms::group_read : readWrite;
    fs::permissions(dir.File("old.bsq"), readWrite);
    fs::permissions(dir.File("old.hdr"), alsoGroupRead);
    ASSERT_EQ(Run("--quiet convert in.bil old.bsq").status, 0);
    EXPECT_EQ(ReadAll(dir.File("old.bsq")).size(), 16u);
    EXPECT_TRUE(!kPosix || fs::status(dir.File("old.bsq")).permissions() == readWrite);
    EXPECT_TRUE(!kPosix || fs::status(dir.File("old.hdr")).permissions() == alsoGroupRead);
    EXPECT_EQ(FilesIn(dir).size(), 4u) << "a temporary file was left";
}

// Two converts into one folder, side by side as xargs -P runs them, to
// rasters of one name: one wins and the other fails cleanly, and the data
// file left reads with its own header.
TEST_F(Bndhost, TwoConvertsOfOneNameSideBySideLeaveOneWholeRaster)
{
    dir.Write("m0.hdr", "nrows 2\nncols 2\n");
    dir.Write("m0.bil", "\x01\x02\x03\x04");
    dir.Write("m1.hdr", "nrows 3\nncols 2\nnbits 16\n");
    dir.Write("m1.bil", std::string("\x05\x00\x06\x00\x07\x00\x08\x00\x09\x00\x0A\x00", 12));
    const std::string sources[] = {Run("xyz m0.bil").out, Run("xyz m1.bil").out};
    const std::string outputs[] = {"q.bil", "q.bsq"};
    const std::size_t inputs = FilesIn(dir).size();
    for (int attempt = 0; attempt < 40; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        ProgramRun runs[2];
        std::thread second([&] { runs[1] = Run("--quiet convert m1.bil " + outputs[1]); });
        runs[0] = Run("--quiet convert m0.bil " + outputs[0]);
        second.join();
        ASSERT_EQ(runs[0].status + runs[1].status, 1) << runs[0].err << runs[1].err;
        const int winner = runs[0].status == 0 ? 0 : 1;
        EXPECT_TRUE(IsOneBndhostLine(runs[1 - winner].err)) << runs[1 - winner].err;
        EXPECT_EQ(FilesIn(dir).size(), inputs + 2) << "a temporary file, or the other data file, is left";
        EXPECT_EQ(Run("xyz " + outputs[winner]).out, sources[winner]);
        fs::remove(dir.File("q.hdr"));
        fs::remove(dir.File(outputs[winner]));
    }
}

// Each pixel is its value scaled from the band's least to its greatest, and
// a nodata node is black.
TEST_F(Bndhost, PreviewWritesEachValueScaledAndNodataBlack)
{
    // Three rows of two columns of three bands, BIL; band 2 holds 0 (nodata) and 10 to 50.
    dir.Write("image.hdr", "nrows 3\nncols 2\nnbands 3\nnodata 0\n");
    dir.Write("image.bil", std::string("\x01\x02\x07\x08\x00\x0A"
                                       "\x03\x04\x09\x0A\x14\x1E"
                                       "\x05\x06\x0B\x0C\x28\x32",
                                       18));
    const ProgramRun outcome = Run("preview image.bil out.png --band 2");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadGrayPng(dir.File("out.png"), 2, 3), (std::vector<unsigned char>{0, 0, 64, 128, 191, 255}));
}

// Without a folder the demo works in a temporary one, which it names and then removes.
TEST_F(Bndhost, DemoWithoutAFolderRemovesItsTemporaryFolder)
{
    const ProgramRun outcome = Run("--quiet demo");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::string first = outcome.out.substr(0, outcome.out.find('\n'));
    const std::size_t end = first.find(" (a temporary folder, removed at the end)");
    ASSERT_NE(end, std::string::npos) << first;
    EXPECT_FALSE(fs::exists(PathOf(first.substr(16, end - 16)))) << first; // after "fennick demo in "
}

} // namespace
} // namespace fennick::test

namespace bndhost::test {
namespace {

// Quotes, backslashes and control characters escaped, a space kept, and each
// byte that is not part of valid UTF-8 (a file name's may not be) as U+FFFD:
// a lone continuation byte, an overlong form, a surrogate, a code point past
// U+10FFFF and a truncated sequence; valid two-, three- and four-byte forms stay.
TEST(Json, StringsEscapeWhatTheyMustAndReplaceBytesThatAreNotUtf8)
{
    EXPECT_EQ(
        JsonString(
            "q\"b \x01\x1F\\\xFF\xC3\xA9\xE0\xA0\x80\xED\xA0\x80\xE0\x80\xBF\xF0\x90\x80\x80\xF4\x90\x80\x80\xC3x"),
        "\"q\\\"b "
        "\\u0001\\u001f\\\\\\ufffd\xC3\xA9\xE0\xA0\x80\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\xF0\x90\x80\x80"
        "\\ufffd\\ufffd\\ufffd\\ufffd\\ufffdx\"");
}

// Keeps what a stream writes, and counts the writes: an unbuffered stream
// buffer, so that each write of the stream reaches it as one call.
class CountingBuffer : public std::streambuf {
public:
    std::string text;
    int writes = 0;

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override
    {
        ++writes;
        text.append(data, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override
    {
        ++writes;
        text += traits_type::to_char_type(c);
        return c;
    }
};

// Each line bndhost says on stderr, a message or the module's question and
// its answer, goes out in one write: the lines of runs side by side
// (xargs -P) never interleave.
TEST(Terminal, EachLineIsOneWrite)
{
    CountingBuffer counted;
    std::streambuf* const previous = std::cerr.rdbuf(&counted);
    Complain("an error\r\nof two lines");
    const int complaint = counted.writes;
    Session session(FENNICK_MODULE_PATH, Session::Answer::Yes, true);
    const int answer = session.Warning(tamsel::IError::YesNo, "Continue anyway?");
    std::cerr.rdbuf(previous);
    EXPECT_EQ(complaint, 1);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(counted.writes, 3) << "the question, then the answer";
    EXPECT_EQ(counted.text, "bndhost: an error of two lines\nContinue anyway?\nbndhost: answering yes (--yes)\n");
}

} // namespace
} // namespace bndhost::test
