// bndhost as a person runs it: the real program on files the tests make.
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/RasterFile.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Bndhost : public ::testing::Test {
protected:
    // Runs bndhost with `arguments` (shell words), no terminal, in `dir`.
    Outcome Run(const std::string& arguments, const std::string& environment = "")
    {
        const std::string command = "cd '" + dir.Path().string() + "' && " + environment + " '" BNDHOST_PATH "' " +
                                    arguments + " < /dev/null > stdout.txt 2> stderr.txt";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadText(dir.File("stdout.txt"));
        outcome.err = ReadText(dir.File("stderr.txt"));
        return outcome;
    }

    // Writes name.<ext> and name.hdr for `shape`; returns the data file's name.
    std::string Raster(const std::string& name, const RasterShape& shape, const Samples& samples)
    {
        dir.Write(name.substr(0, name.rfind('.')) + ".hdr", HeaderText(shape));
        dir.Write(name, DataBytes(shape, samples));
        return name;
    }

    TempDir dir;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(Bndhost, InfoPrintsProbeSummaryAndBandStatistics)
{
    RasterShape shape{.nbits = 16, .nrows = 2, .ncols = 3, .nbands = 2};
    Samples samples = MakeSamples(shape);
    samples[0][0] = {10, 20, 30};
    samples[1][0] = {40, 50, 60};
    samples[0][1] = {65535, 1, 2}; // -1 as a signed 16-bit sample
    samples[1][1] = {3, 4, 5};
    Raster("scene.bil", shape, samples);
    const Outcome outcome = Run("info scene.bil");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(Contains(outcome.out, "probe: 1 (")) << outcome.out;
    EXPECT_TRUE(Contains(outcome.out, "Size:\t2 rows x 3 columns x 1 planes\n")) << outcome.out;
    EXPECT_TRUE(Contains(outcome.out, "0     10               60               35\n")) << outcome.out;
    EXPECT_TRUE(Contains(outcome.out, "1     -1               5                2.333333333\n")) << outcome.out;
    EXPECT_EQ(outcome.err, "");
}

TEST_F(Bndhost, ConvertKeepsEveryValueThroughEveryLayout)
{
    RasterShape shape{.nbits = 32, .nrows = 5, .ncols = 7, .nbands = 3};
    const Samples samples = MakeSamples(shape, 7);
    Raster("source.bil", shape, samples);
    for (const char* step : {"convert source.bil a.bip", "convert a.bip b.bsq", "convert b.bsq c.bil"}) {
        const Outcome outcome = Run(std::string("--quiet ") + step);
        ASSERT_EQ(outcome.status, 0) << step << ": " << outcome.err;
    }
    EXPECT_EQ(ReadAll(dir.File("c.bil")), ReadAll(dir.File("source.bil")));
    shape.layout = "BIP";
    EXPECT_EQ(ReadAll(dir.File("a.bip")), DataBytes(shape, samples));
    shape.layout = "BSQ";
    EXPECT_EQ(ReadAll(dir.File("b.bsq")), DataBytes(shape, samples));
}

TEST_F(Bndhost, TheQuestionIsAnsweredByYesNoOrNo)
{
    RasterShape shape;
    Raster("long.bil", shape, MakeSamples(shape));
    dir.Write("long.bil", std::string(21, 'x'));
    const struct {
        const char* option;
        int status;
        const char* said;
    } cases[] = {{"--yes", 0, "answering yes"}, {"--no", 2, "declined"}, {"", 2, "--yes continues"}};
    for (const auto& c : cases) {
        const Outcome outcome = Run(std::string(c.option) + " info long.bil");
        EXPECT_EQ(outcome.status, c.status) << c.option;
        EXPECT_TRUE(Contains(outcome.err, "is larger than it should be.\n\nThis can happen")) << outcome.err;
        EXPECT_TRUE(Contains(outcome.err, c.said)) << outcome.err;
    }
}

TEST_F(Bndhost, ErrorsAndUsageMistakesHaveTheirExitStatus)
{
    dir.Write("one.hdr", "nrows 1\nncols 4\n");
    dir.Write("one.bil", "1234");
    const struct {
        std::string arguments;
        std::string environment;
        int status;
        std::string said;
    } cases[] = {
        {"info missing.bil", "", 1, "Unable to find the header file"},
        {"--plugin /nonexistent/fennick.so info one.bil", "", 1, "/nonexistent/fennick.so"},
        {"info one.bil", "FENNICK_PLUGIN=/elsewhere/fennick.so", 1, "/elsewhere/fennick.so"},
        {"info one.bil", "", 2, "not importable"},
        {"convert one.bil noextension", "", 2, "has no extension"},
        {"", "", 64, "no command"},
        {"frobnicate", "", 64, "unknown command"},
        {"convert one.bil", "", 64, "convert takes"},
        {"--band 2 info one.bil", "", 64, "--band belongs to preview"},
        {"--colour info one.bil", "", 64, "unknown option"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Run(c.arguments, c.environment);
        EXPECT_EQ(outcome.status, c.status) << c.arguments;
        EXPECT_TRUE(Contains(outcome.err, c.said)) << c.arguments << ": " << outcome.err;
        if (c.status == 1) {
            EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), Contains(c.said, "header") ? 2 : 1)
                << "only the message: " << outcome.err;
        }
    }
    EXPECT_TRUE(Contains(Run("--help").out, "Usage: bndhost"));
}

TEST_F(Bndhost, AConversionThatCannotWriteLeavesNoPairBehind)
{
    RasterShape shape{.nbits = 32, .nrows = 300, .ncols = 300};
    Raster("big.bil", shape, MakeSamples(shape));
    for (const char* output : {"out.bil", "out.bsq"}) {
        const Outcome outcome = Run(std::string("--quiet convert big.bil ") + output, "ulimit -f 100 &&");
        EXPECT_EQ(outcome.status, 1) << output;
        EXPECT_TRUE(Contains(outcome.err, "File too large")) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File(output)));
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.hdr")));
    }
}

TEST_F(Bndhost, PreviewWritesAPngOfTheRastersSize)
{
    RasterShape shape{.nrows = 11, .ncols = 37, .nbands = 3};
    Raster("image.bil", shape, MakeSamples(shape));
    const Outcome outcome = Run("preview image.bil out.png --band 2");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<unsigned char> png = ReadAll(dir.File("out.png"));
    ASSERT_GT(png.size(), 24U);
    EXPECT_EQ(std::string(png.begin(), png.begin() + 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    const auto be32 = [&](std::size_t at) {
        return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    };
    EXPECT_EQ(be32(16), 37);
    EXPECT_EQ(be32(20), 11);
    EXPECT_EQ(png[24], 8) << "8-bit samples";
    EXPECT_EQ(png[25], 0) << "grayscale";
    EXPECT_EQ(Run("preview image.bil out.png --band 3").status, 64);
}

TEST_F(Bndhost, DemoChecksEverythingAndSucceeds)
{
    const Outcome outcome = Run("--quiet demo demo-folder");
    ASSERT_EQ(outcome.status, 0) << outcome.out << outcome.err;
    EXPECT_TRUE(Contains(outcome.out, "demo: every check held")) << outcome.out;
    EXPECT_TRUE(std::filesystem::exists(dir.File("demo-folder/converted-bsq.hdr")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("demo-folder/demo.png")));
}

} // namespace
} // namespace fennick::test
