// Seeded random folders of rasters, headers of either name and dialect, data
// files of every fit, side files, text files and links; on each, one
// command of bndhost (xyz, preview, or convert, which runs the module's
// export) to a random output name. Whatever it does, no other raster may
// read differently afterwards: a failed write changes nothing, and a
// successful one changes only the output and, for a raster, its header.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "Commands.h"
#include "Session.h"
#include "hostside/ParamReader.h"
#include "import/BndImportFilter.h"
#include "support/Posix.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

namespace fs = std::filesystem;

// Fewer under Windows, where every file operation is slower (under wine, many times).
constexpr int kTrials = kPosix ? 400 : 100;

// Every entry below `root` as a link's target, a file's bytes or a folder.
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::error_code error;
        entries[TextOf(entry.path().lexically_relative(root))] =
            entry.is_symlink()             ? "link " + TextOf(fs::read_symlink(entry.path()))
            : entry.is_regular_file(error) ? ReadText(TextOf(entry.path()))
                                           : "folder";
    }
    return entries;
}

// What the module makes of a data file: whether it reads (its rows), and
// its probe, the files it read and its summary, or the error it raised.
struct Reading {
    bool read = false;
    std::string rows{}, said{};
    bool operator==(const Reading&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Reading& r) { return out << r.said; }
};

Reading ReadingOf(const fs::path& path)
{
    TestHost host;
    host.warningAnswer = 1;
    BndImportFilter filter(host);
    Reading reading{.said = "probe " + std::to_string(filter.ProbeFile(TextOf(path).c_str())) + "\n"};
    try {
        reading.read = filter.ImportFromFile(TextOf(path).c_str(), false) == orvo::ImportStatus::Done;
    } catch (const std::exception& error) {
        reading.said += error.what();
    }
    for (const auto& [key, value] : tamsel::CParamReader::Items(host.params)) {
        reading.said += key + " " + value + "\n";
    }
    for (const auto& row : host.rows) {
        reading.rows.append(row.begin(), row.end());
    }
    return reading;
}

// The readings of every data file below `root`: every file but a header,
// world or statistics file.
std::map<std::string, Reading> Readings(const fs::path& root)
{
    std::map<std::string, Reading> readings;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string extension = TextOf(entry.path().extension());
        std::error_code error;
        if (entry.is_regular_file(error) && !platform::EqualsIgnoreCase(extension, ".hdr") &&
            !platform::EqualsIgnoreCase(extension, ".blw") && !platform::EqualsIgnoreCase(extension, ".stx")) {
            readings[TextOf(entry.path().lexically_relative(root))] = ReadingOf(entry.path());
        }
    }
    return readings;
}

const std::vector<std::string> kStems = {"a", "A"};
const std::vector<std::string> kOutputExtensions = {".bil", ".BIL", ".bsq", ".img",     ".dat", ".hdr", ".HDR",
                                                    ".blw", ".stx", ".STX", ".img.hdr", ".xyz", ".png"};

// One random folder and an output to write there: a far raster, rasters
// named from few stems and extensions, so that their names meet in every
// case, text files and links into the far raster or to names of this folder,
// laid more often among the output's own names (itself and its header's).
class Scene {
public:
    Scene(std::mt19937& random, const TempDir& dir)
        : random_(random), dir_(dir), out(Pick(kStems) + Pick(kOutputExtensions))
    {
        fs::create_directory(dir.Path() / "far");
        dir.Write("far/far.bil", "abcd");
        dir.Write("far/far.hdr", "nrows 2\nncols 2\n");
        dir.Write("far/far.blw", "1\n0\n0\n-1\n5\n5\n");
        const std::string stem = out.substr(0, out.find('.'));
        for (int i = kPosix ? Number(0, 2) : 0; i > 0; --i) {
            LayLink(Pick({out, stem + ".hdr", stem + ".HDR"}));
        }
        for (int i = Number(1, 4); i > 0; --i) {
            LayRaster();
        }
        for (int i = Number(0, 3); i > 0; --i) {
            const std::string name = Pick(kStems) + Pick(kOutputExtensions);
            if (kPosix && Chance(2)) {
                LayLink(name);
            } else if (!platform::Exists(dir.File(name))) {
                dir.Write(name, "notes\n");
            }
        }
    }

private:
    int Number(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
    bool Chance(int in) { return Number(1, in) == 1; }
    std::string Pick(const std::vector<std::string>& from) { return from[Number(0, int(from.size()) - 1)]; }

    void LayLink(const std::string& name)
    {
        std::error_code error;
        fs::create_symlink(PathOf(Pick({"far/far.bil", "far/far.hdr", "far/far.blw", "a.hdr", "a.bil", "A.img"})),
                           dir_.Path() / PathOf(name), error);
    }

    // Its header of either dialect, under either name and case; its data
    // exact, longer (the import asks), shorter (it refuses) or empty.
    void LayRaster()
    {
        const std::string stem = Pick(kStems);
        const std::string data = stem + Pick({".bil", ".BIL", ".bsq", ".img", ".dat", ""});
        const int rows = Number(2, 3);
        const int columns = Number(2, 3);
        const bool keyValue = Chance(3);
        const std::string header =
            keyValue ? "ENVI\nsamples = " + std::to_string(columns) + "\nlines = " + std::to_string(rows) +
                           "\nbands = 1\ndata type = 1\ninterleave = bsq\n"
                     : "nrows " + std::to_string(rows) + "\nncols " + std::to_string(columns) + "\n";
        dir_.Write(keyValue && Chance(2) ? data + ".hdr" : stem + (Chance(2) ? ".hdr" : ".HDR"), header);
        const int size = rows * columns + Number(-1, 1) * (Chance(4) ? 0 : 1);
        dir_.Write(data, std::string(static_cast<std::size_t>(Chance(8) ? 0 : size), 'x'));
        if (Chance(3)) {
            dir_.Write(stem + (Chance(2) ? ".blw" : ".BLW"), "2\n0\n0\n-2\n100\n200\n");
        }
        if (Chance(3)) {
            dir_.Write(stem + ".stx", "1 0 200\n");
        }
    }

    std::mt19937& random_;
    const TempDir& dir_;

public:
    const std::string out; // picked first of all
};

// Whether the entry `name` is the output `out`: the same name, or where
// names ignore case one that differs only in case.
bool IsOutput(const TempDir& dir, const std::string& name, const std::string& out)
{
    std::error_code error;
    return name == out ||
           (platform::EqualsIgnoreCase(name, out) && fs::equivalent(dir.File(name), dir.File(out), error));
}

// Whether a write to `out` may change the entry `name`: the output and, for a
// raster, its header of the name the export writes (in any case), each as
// named and, through a link, as the link leads.
bool MayChange(const TempDir& dir, const std::string& name, const std::string& out, bool raster)
{
    const auto own = [&](const std::string& other) {
        return IsOutput(dir, other, out) ||
               (raster && platform::EqualsIgnoreCase(other, out.substr(0, out.find('.')) + ".hdr"));
    };
    std::error_code error;
    return own(name) ||
           std::any_of(fs::directory_iterator(dir.Path()), fs::directory_iterator(), [&](const auto& item) {
               return item.is_symlink() && own(TextOf(item.path().filename())) &&
                      fs::equivalent(item.path(), dir.File(name), error);
           });
}

TEST(RasterGuard, NoCommandChangesARasterOtherThanItsOutput)
{
    // The commands' reports, refusals and the import's questions are many and expected.
    std::ostringstream quiet;
    struct Restore {
        std::ostream& stream;
        std::streambuf* buffer;
        ~Restore() { stream.rdbuf(buffer); }
    } restoreErrors{std::cerr, std::cerr.rdbuf(quiet.rdbuf())},
        restoreOutput{std::cout, std::cout.rdbuf(quiet.rdbuf())};
    std::mt19937 random(39);
    bndhost::Session session(FENNICK_MODULE_PATH, bndhost::Session::Answer::Yes, true);
    std::map<bool, int> written;
    for (int trial = 0; trial < kTrials; ++trial) {
        const TempDir dir;
        const int command = std::uniform_int_distribution(0, 2)(random);
        const Scene scene(random, dir);
        const std::string& out = scene.out;
        fs::create_directory(dir.Path() / "in");
        dir.Write("in/in.bil", "\x01\x02\x03\x04");
        dir.Write("in/in.hdr", "nrows 2\nncols 2\n");
        const auto entries = Snapshot(dir.Path());
        const auto readings = Readings(dir.Path());
        SCOPED_TRACE("trial " + std::to_string(trial) + ": command " + std::to_string(command) + " to " + out);

        const fs::path in = dir.Path() / "in" / "in.bil", to = dir.Path() / PathOf(out);
        bndhost::Exit status = bndhost::ExitError;
        std::string said;
        try {
            status = command == 0   ? bndhost::RunConvert(session, in, to)
                     : command == 1 ? bndhost::RunXyz(session, in, to)
                                    : bndhost::RunPreview(session, in, to, 0, std::cout);
        } catch (const std::exception& error) {
            said = error.what();
        }
        ++written[status == bndhost::ExitDone];
        if (status != bndhost::ExitDone) {
            EXPECT_EQ(Snapshot(dir.Path()), entries) << "a refused write changes nothing: " << said;
            continue;
        }
        for (const auto& [name, content] : Snapshot(dir.Path())) {
            const auto before = entries.find(name);
            EXPECT_TRUE((before != entries.end() && before->second == content) ||
                        MayChange(dir, name, out, command == 0))
                << name << " changed";
        }
        // A raster that a raster output leads to reads as the output; any other as before.
        const Reading output = ReadingOf(to);
        const auto after = Readings(dir.Path());
        for (const auto& [name, reading] : readings) {
            std::error_code error;
            if (reading.read && !IsOutput(dir, name, out)) {
                const bool isOutput = command == 0 && fs::equivalent(dir.File(name), to, error);
                EXPECT_TRUE(isOutput ? after.at(name).rows == output.rows : after.at(name) == reading)
                    << name << " reads otherwise";
            }
        }
    }
    // The trials both write and refuse, often enough to mean something.
    EXPECT_GT(written[true], kTrials / 5) << written[false] << " refused";
    EXPECT_GT(written[false], kTrials / 5) << written[true] << " written";
}

} // namespace
} // namespace fennick::test
