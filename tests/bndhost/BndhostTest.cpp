// bndhost as a person runs it: the real program on files the tests make.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <zlib.h>

#include "Commands.h"
#include "RasterWriter.h"
#include "support/CaseFile.h"
#include "support/Posix.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

using rasters::RasterShape;
using rasters::Samples;

namespace fs = std::filesystem;

class Bndhost : public ::testing::Test {
protected:
    // Runs bndhost with `arguments` (words split at spaces), no terminal, in `dir`.
    ProgramRun Run(const std::string& arguments, const RunSettings& settings = {})
    {
        return RunIn(dir, CommandLine(BNDHOST_PATH, arguments), settings);
    }

    // Writes name.<ext> and name.hdr for `shape`; returns the data file's name.
    std::string Raster(const std::string& name, const RasterShape& shape, const Samples& samples)
    {
        rasters::WriteRaster(dir.File(name), shape, rasters::Of(samples));
        return name;
    }

    TempDir dir;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// `text` with bytes outside printable ASCII as \xHH (line ends kept), so that
// a failure's report is text whatever bndhost printed.
std::string Printable(const std::string& text)
{
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte < 0x7F) || c == '\n') {
            shown += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        }
    }
    return shown;
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

// The runs of tests/data/bndhost.cases: what info, xyz and convert print and write.
TEST_F(Bndhost, CaseFileRunsGiveTheirOutputAndFiles)
{
    for (const Case& c : ReadCases("bndhost.cases")) {
        SCOPED_TRACE(c.name + " (bndhost.cases line " + std::to_string(c.line) + ")");
        if (!kPosix && c.Has("posix-only")) {
            std::cout << "skipped on Windows, POSIX only: " << c.name << " (" << c.Get("posix-only") << ")\n";
            continue;
        }
        const TempDir folder;
        for (const auto& [key, value] : c.fields) {
            if (key.starts_with("file ")) {
                folder.Write(key.substr(5), value);
            }
        }
        const ProgramRun run = RunIn(folder, CommandLine(BNDHOST_PATH, c.Get("run")));
        const std::string out = Printable(run.out);
        const std::string err = Printable(run.err);
        EXPECT_EQ(run.status, std::stoi(c.Get("status", "0"))) << err;
        if (c.Has("out")) {
            EXPECT_EQ(out, Printable(c.Get("out")));
        }
        std::istringstream lines(Printable(c.Get("out-has")));
        for (std::string line; std::getline(lines, line);) {
            EXPECT_TRUE(Contains("\n" + out, "\n" + line + "\n")) << "no line '" << line << "' in\n" << out;
        }
        if (c.Has("err-has")) {
            EXPECT_TRUE(Contains(err, Printable(c.Get("err-has")))) << err;
        } else {
            EXPECT_EQ(err, "");
        }
        std::string names;
        for (const auto& [name, bytes] : FilesIn(folder)) {
            names += (names.empty() ? "" : " ") + Printable(name);
            if (c.Has("expect " + name)) {
                EXPECT_EQ(Printable(std::string(bytes.begin(), bytes.end())), Printable(c.Get("expect " + name)))
                    << Printable(name);
            }
        }
        if (c.Has("files")) {
            EXPECT_EQ(names, Printable(c.Get("files")));
        }
    }
}

TEST_F(Bndhost, TheQuestionIsAnsweredByYesNoOrNo)
{
    RasterShape shape;
    Raster("long.bil", shape, MakeSamples(shape));
    Raster("image.bil", shape, MakeSamples(shape));
    dir.Write("long.bil", std::string(21, 'x'));
    const struct {
        const char* option;
        int status;
        const char* said;
    } cases[] = {{"--yes", 0, "answering yes"}, {"--no", 2, "declined"}, {"", 2, "--yes continues"}};
    for (const auto& c : cases) {
        const ProgramRun outcome = Run(std::string(c.option) + " info long.bil");
        EXPECT_EQ(outcome.status, c.status) << c.option;
        EXPECT_TRUE(Contains(outcome.err, "is larger than it should be.\n\nThis can happen")) << outcome.err;
        EXPECT_TRUE(Contains(outcome.err, c.said)) << outcome.err;
    }
}

TEST_F(Bndhost, OnATerminalTheQuestionIsAskedAndTheProgressDrawn)
{
    POSIX_ONLY("needs a pseudo-terminal");
    RasterShape shape;
    Raster("long.bil", shape, MakeSamples(shape));
    Raster("image.bil", shape, MakeSamples(shape));
    dir.Write("long.bil", std::string(21, 'x'));
    // On a terminal bndhost asks, and draws its progress: an answer of y goes
    // on, the end of the input declines on a line of its own, Ctrl-C interrupts.
    const struct {
        const char* keys;
        int status;
        const char* said;
    } typed[] = {{"y\r", 0, "probe: 2"}, {"\x04", 2, "[y/N] \r\nbndhost: declined"}, {"\x03", 130, "interrupted"}};
    for (const auto& c : typed) {
        const ProgramRun outcome = RunOnTerminal(dir, {BNDHOST_PATH, "info", "long.bil"}, "[y/N] ", c.keys);
        EXPECT_EQ(outcome.status, c.status) << outcome.out;
        EXPECT_TRUE(Contains(outcome.out, c.said)) << outcome.out;
    }
    // The progress is drawn when standard error is a terminal, whatever the input.
    const ProgramRun shown = RunOnTerminal(dir, {BNDHOST_PATH, "info", "image.bil"}, "", "", true);
    EXPECT_TRUE(Contains(shown.out, "\x1b[KImporting banded file image.bil [ ")) << shown.out;
    // With no terminal to answer from, bndhost does not ask.
    const ProgramRun unanswerable = RunOnTerminal(dir, {BNDHOST_PATH, "info", "long.bil"}, "", "", true);
    EXPECT_TRUE(Contains(unanswerable.out, "no terminal to ask; answering no")) << unanswerable.out;
    const ProgramRun quiet = RunOnTerminal(dir, {BNDHOST_PATH, "--quiet", "info", "image.bil"}, "", "");
    EXPECT_FALSE(Contains(quiet.out, "Importing banded file")) << quiet.out;
    const ProgramRun converting = RunOnTerminal(dir, {BNDHOST_PATH, "convert", "image.bil", "shown.bip"}, "", "");
    EXPECT_TRUE(Contains(converting.out, "Exporting to Banded format file shown.bip [")) << converting.out;
    EXPECT_FALSE(Contains(converting.out, ".fennick-")) << converting.out;
}

TEST_F(Bndhost, ErrorsAndUsageMistakesHaveTheirExitStatus)
{
    dir.Write("one.hdr", "nrows 1\nncols 4\n");
    dir.Write("one.bil", "1234");
    dir.Write("headerless.bil", "1234");
    dir.Write("short.hdr", "nrows 2\nncols 4\n");
    dir.Write("short.bil", "12345");
    RasterShape shape;
    Raster("image.bil", shape, MakeSamples(shape));
    const RunSettings elsewhere{{{"FENNICK_PLUGIN", "/elsewhere/fennick.so"}}, "", 0};
    const RunSettings full{{}, "/dev/full", 0};
    const struct {
        std::string arguments;
        RunSettings settings;
        int status;
        std::string said;
        bool posixOnly = false;
    } cases[] = {
        {"info missing.bil", {}, 1, "missing.bil: no such file"},
        {"convert missing.bil out.bil", {}, 1, "missing.bil: no such file"},
        {"info headerless.bil", {}, 1, "Unable to find the header file"},
        {"info short.bil", {}, 1, "does not appear to be complete"},
        {"preview image.bil out.png --band 1", {}, 1, "band 1"},
        {"--plugin /nonexistent/fennick.so info one.bil", {}, 1, "/nonexistent/fennick.so"},
        {"info one.bil", elsewhere, 1, "/elsewhere/fennick.so"},
        {"info one.bil", {}, 2, "not importable"},
        {"convert one.bil noextension", {}, 2, "has no extension"},
        {"convert one.bil out.HDR", {}, 2, "its header would overwrite it"},
        {"", {}, 64, "no command"},
        {"frobnicate", {}, 64, "unknown command"},
        {"convert one.bil", {}, 64, "convert takes"},
        {"--band 2 info one.bil", {}, 64, "--band belongs to preview"},
        {"preview image.bil out.png --band x", {}, 64, "--band needs a band number, not 'x'"},
        {"preview image.bil out.png --band -1", {}, 64, "--band needs a band number"},
        {"preview image.bil out.png --band 2x", {}, 64, "--band needs a band number"},
        {"preview image.bil out.png --band=", {}, 64, "--band needs a band number"},
        {"preview image.bil out.png --band 1000001", {}, 64, "--band needs a band number"},
        {"preview image.bil out.png --band 1000000", {}, 1, "has no band 1000000"},
        {"--yes --no info one.bil", {}, 64, "--yes and --no answer the same question"},
        {"info image.bil", full, 1, "cannot write the standard output: No space left on device", true},
        {"info --json image.bil", full, 1, "cannot write the standard output", true},
        {"--help", full, 1, "cannot write the standard output", true},
        {"--colour info one.bil", {}, 64, "unknown option '--colour'"},
    };
    for (const auto& c : cases) {
        if (c.posixOnly && !kPosix) {
            continue; // writes to /dev/full
        }
        const ProgramRun outcome = Run(c.arguments, c.settings);
        EXPECT_EQ(outcome.status, c.status) << c.arguments;
        EXPECT_TRUE(Contains(outcome.err, c.said)) << c.arguments << ": " << outcome.err;
        if (c.status == 1) {
            EXPECT_TRUE(IsOneBndhostLine(outcome.err)) << c.arguments << ": " << outcome.err;
        }
    }
    for (const char* help : {"--help", "-h"}) {
        const ProgramRun outcome = Run(help);
        EXPECT_EQ(outcome.status, 0) << help;
        EXPECT_TRUE(Contains(outcome.out, "Usage: bndhost")) << help;
    }
}

// A convert must never write over what it reads: the input, its header, its
// world or statistics file, under any name that leads to them.
TEST_F(Bndhost, AConvertOntoItsOwnInputIsRefused)
{
    RasterShape shape{.nrows = 3, .ncols = 4};
    Raster("in.bil", shape, MakeSamples(shape));
    dir.Write("in.blw", "1\n0\n0\n-1\n0\n0\n");
    dir.Write("in.stx", "1 0 255\n");
    if (kPosix) { // symbolic links
        fs::create_symlink("in.bil", dir.File("link.bil"));
        fs::create_symlink("in.hdr", dir.File("other.hdr"));
    }
    const auto before = FilesIn(dir);
    const struct {
        const char* output;
        const char* overwritten;
        bool posixOnly = false;
    } cases[] = {
        {"in.bil", "in.bil"},
        {"in.hdr", "in.hdr"},
        {"in.blw", "in.blw"},
        {"in.stx", "in.stx"},
        {"in.bip", "in.hdr"},
        {"link.bil", "in.bil", true},
        {"./in.bil", "in.bil"},
        {"other.bsq", "in.hdr", true},
        // Where names ignore case, in.BIL is the input itself.
        {"in.BIL", kPosix ? "in.hdr" : "in.bil"},
    };
    for (const auto& c : cases) {
        if (c.posixOnly && !kPosix) {
            continue;
        }
        const ProgramRun outcome = Run(std::string("--quiet convert in.bil ") + c.output);
        EXPECT_EQ(outcome.status, 1) << c.output;
        EXPECT_TRUE(IsOneBndhostLine(outcome.err)) << outcome.err;
        EXPECT_TRUE(Contains(outcome.err, "would overwrite") && Contains(outcome.err, c.overwritten))
            << c.output << ": " << outcome.err;
        EXPECT_TRUE(FilesIn(dir) == before) << c.output << ": a file changed or was left";
    }
}

// An existing output is replaced only by a complete one; whatever stops the
// convert, the old pair stays and no temporary file is left.
TEST_F(Bndhost, AnExistingOutputIsReplacedOnlyWhenTheNewOneIsComplete)
{
    RasterShape shape{.nbits = 32, .nrows = 300, .ncols = 300};
    const Samples samples = MakeSamples(shape);
    Raster("big.bil", shape, samples);
    dir.Write("short.hdr", HeaderText(shape));
    dir.Write("short.bil", "12345");
    dir.Write("old.bsq", "old data");
    dir.Write("old.hdr", "old header");
    const auto before = FilesIn(dir);
    const RunSettings limited{{}, "", 100 * 1024};
    const struct {
        const char* arguments;
        RunSettings settings;
        const char* said;
    } failures[] = {
        {"convert big.bil old.bsq", limited, "File too large"},
        {"convert short.bil old.bsq", {}, "does not appear to be complete"},
        {"convert big.bil new.bil", limited, "File too large"},
    };
    for (const auto& c : failures) {
        if (c.settings.fileSizeLimit > 0 && !kPosix) {
            continue;
        }
        const ProgramRun outcome = Run(std::string("--quiet ") + c.arguments, c.settings);
        EXPECT_EQ(outcome.status, 1) << c.arguments;
        EXPECT_TRUE(Contains(outcome.err, c.said)) << outcome.err;
        EXPECT_FALSE(Contains(outcome.err, ".fennick-")) << "a message names a temporary file: " << outcome.err;
        EXPECT_TRUE(FilesIn(dir) == before) << c.arguments << ": the old pair changed or a file was left";
    }

    if (LayPosixFixture(dir.File("pipe.bil"), "<fifo>")) {
        const ProgramRun toPipe = Run("--quiet convert big.bil pipe.bil");
        EXPECT_EQ(toPipe.status, 1) << toPipe.err;
        EXPECT_TRUE(Contains(toPipe.err, "is not a regular file")) << toPipe.err;
        EXPECT_TRUE(fs::is_fifo(dir.File("pipe.bil")));
        EXPECT_FALSE(fs::exists(dir.File("pipe.hdr")));
    }

    // A file the user may not write is not replaced, as cp would not (root may).
    fs::permissions(dir.File("old.hdr"), fs::perms::owner_read);
    const ProgramRun readOnly = Run("--quiet convert big.bil old.bsq");
    EXPECT_EQ(readOnly.status, IsSuperUser() ? 0 : 1) << readOnly.err;
    EXPECT_TRUE(IsSuperUser() || Contains(readOnly.err, "refused: old.hdr may not be written (")) << readOnly.err;

    // The replaced files keep their permission bits; a link is kept, its
    // target replaced.
    const std::string output = kPosix ? "link.bsq" : "old.bsq";
    if (kPosix) {
        fs::create_symlink("old.bsq", dir.File("link.bsq"));
    }
    const auto readWrite = fs::perms::owner_read | fs::perms::owner_write;
    const auto alsoGroupRead = kPosix ? readWrite | fs::perms::group_read : readWrite;
    fs::permissions(dir.File("old.bsq"), readWrite);
    fs::permissions(dir.File("old.hdr"), alsoGroupRead);
    const ProgramRun replaced = Run("--quiet convert big.bil " + output);
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(fs::is_symlink(dir.File(output)), kPosix);
    shape.layout = "BSQ";
    EXPECT_EQ(ReadAll(dir.File("old.bsq")), DataBytes(shape, samples));
    EXPECT_TRUE(Contains(ReadText(dir.File("old.hdr")), "layout BSQ"));
    if (kPosix) {
        EXPECT_EQ(fs::status(dir.File("old.bsq")).permissions(), readWrite);
        EXPECT_EQ(fs::status(dir.File("old.hdr")).permissions(), alsoGroupRead);
    }
    EXPECT_EQ(FilesIn(dir).size(), before.size() + (kPosix ? 2 : 0)) << "a temporary file was left";
    if (kPosix) { // a file-size limit
        // A preview that fails leaves the previous PNG.
        dir.Write("old.png", "old picture");
        const ProgramRun tooLarge = Run("--quiet preview big.bil old.png", RunSettings{{}, "", 10 * 1024});
        EXPECT_EQ(tooLarge.status, 1) << tooLarge.err;
        EXPECT_EQ(ReadText(dir.File("old.png")), "old picture");
    }
}

// The help is one text: it shows each command of the table, and no other.
TEST_F(Bndhost, TheHelpShowsEveryCommandOfTheTable)
{
    const std::string help = bndhost::kHelp;
    const std::size_t start = help.find("\nCommands:\n");
    const std::size_t end = help.find("\n\n", start + 1);
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos);
    std::istringstream lines(help.substr(start + 11, end - start - 11));
    std::vector<std::string> shown;
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 2 && line[2] != ' ') {
            shown.push_back(line.substr(2, line.find("  ", 2) - 2));
        }
    }
    std::vector<std::string> table;
    for (const bndhost::Command& command : bndhost::CommandTable()) {
        table.emplace_back(command.synopsis);
    }
    EXPECT_EQ(shown, table);
    EXPECT_EQ(Run("--help").out, help);
}

// Each pixel is its value scaled from the band's least to its greatest, and
// a nodata node is black.
TEST_F(Bndhost, PreviewWritesEachValueScaledAndNodataBlack)
{
    RasterShape shape{.nrows = 11, .ncols = 37, .nbands = 3};
    const Samples samples = MakeSamples(shape);
    Raster("image.bil", shape, samples);
    const std::uint32_t nodata = samples[0][2][0];
    dir.Write("image.hdr", HeaderText(shape) + "nodata " + std::to_string(nodata) + "\n");
    const ProgramRun outcome = Run("preview image.bil out.png --band 2");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<unsigned char> pixels = ReadGrayPng(dir.File("out.png"), 37, 11);
    ASSERT_EQ(pixels.size(), 37U * 11U) << "not a whole 37 x 11 grayscale PNG";
    double low = 255;
    double high = 0;
    for (const auto& row : samples) {
        for (const std::uint32_t value : row[2]) {
            low = value == nodata ? low : std::min<double>(low, value);
            high = value == nodata ? high : std::max<double>(high, value);
        }
    }
    for (std::size_t r = 0; r < 11; ++r) {
        for (std::size_t c = 0; c < 37; ++c) {
            const std::uint32_t value = samples[r][2][c];
            const long want = value == nodata ? 0 : std::lround((value - low) * 255 / (high - low));
            EXPECT_EQ(pixels[r * 37 + c], want) << "row " << r << " column " << c;
        }
    }
    EXPECT_EQ(Run("preview image.bil out.png --band 3").status, 1);
}

TEST_F(Bndhost, DemoChecksEverythingAndSucceeds)
{
    const ProgramRun outcome = Run("--quiet demo demo-folder");
    ASSERT_EQ(outcome.status, 0) << outcome.out << outcome.err;
    EXPECT_TRUE(Contains(outcome.out, "demo: every check held")) << outcome.out;
    EXPECT_TRUE(Contains(outcome.out, "\nElement type:\tint16\n")) << "the sample's info, as text";
    EXPECT_TRUE(fs::exists(dir.File("demo-folder/converted-bsq.hdr")));
    EXPECT_TRUE(fs::exists(dir.File("demo-folder/demo.png")));

    dir.Write("a-file", "");
    const ProgramRun blocked = Run("--quiet demo a-file/demo");
    EXPECT_EQ(blocked.status, 1);
    EXPECT_TRUE(IsOneBndhostLine(blocked.err) && Contains(blocked.err, "cannot create the folder")) << blocked.err;
}

} // namespace
} // namespace fennick::test
