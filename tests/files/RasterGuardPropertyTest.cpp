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
#include <string>
#include <vector>

#include "Commands.h"
#include "Session.h"
#include "hostside/Lattices.h"
#include "hostside/ParamReader.h"
#include "support/Posix.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kSeed = 39;
// Fewer under Windows, where every file operation is slower (under wine, many times).
constexpr int kTrials = kPosix ? 400 : 100;

// Every entry below `root` as a link's target, a file's bytes or a folder.
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = TextOf(entry.path().lexically_relative(root));
        std::error_code error;
        if (entry.is_symlink()) {
            entries[name] = "link " + TextOf(fs::read_symlink(entry.path()));
        } else if (entry.is_regular_file(error)) {
            entries[name] = ReadText(TextOf(entry.path()));
        } else {
            entries[name] = "folder";
        }
    }
    return entries;
}

// What the module makes of a data file: its probe, the facts of the files
// the import read and every row it delivered, or the error it raised.
struct Reading {
    int probe = 0;
    std::string facts;
    std::string rows;
    std::string ending;

    [[nodiscard]] bool Read() const { return ending == "done"; }
    bool operator==(const Reading&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Reading& r)
    {
        return out << "probe " << r.probe << ", " << r.ending << ", " << r.rows.size() << " bytes of rows\n" << r.facts;
    }
};

Reading ReadingOf(bndhost::Session& session, const fs::path& path)
{
    Reading reading;
    reading.probe = session.Probe(path);
    if (reading.probe == 0) {
        return reading;
    }
    try {
        const bndhost::Exit status = session.Import(
            path,
            [&](orvo::TrUniformLattice& lattice) {
                for (const char* key : {"BndHeaderFile", "BndWorldFile", "BndStatisticsFile", "LatticeInfo"}) {
                    const std::string* value = tamsel::CParamReader::Find(lattice.GetParams(), key);
                    reading.facts += std::string(key) + ' ' + (value != nullptr ? *value : "none") + '\n';
                }
                return true;
            },
            [&](orvo::TrLatticeScan& scan) {
                const auto bytes = orvo::LatticeRows::RowBytes(orvo::LatticeRows::LatticeOf(scan));
                reading.rows.append(reinterpret_cast<const char*>(scan.rowBuffer), bytes);
                return true;
            });
        reading.ending = status == bndhost::ExitDone ? "done" : "status " + std::to_string(status);
    } catch (const std::exception& error) {
        reading.ending = error.what();
    }
    return reading;
}

// The readings of every data file below `root`: every file but a header,
// world or statistics file.
std::map<std::string, Reading> Readings(bndhost::Session& session, const fs::path& root)
{
    std::map<std::string, Reading> readings;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string extension = TextOf(entry.path().extension());
        std::error_code error;
        if (entry.is_regular_file(error) && !platform::EqualsIgnoreCase(extension, ".hdr") &&
            !platform::EqualsIgnoreCase(extension, ".blw") && !platform::EqualsIgnoreCase(extension, ".stx")) {
            readings[TextOf(entry.path().lexically_relative(root))] = ReadingOf(session, entry.path());
        }
    }
    return readings;
}

template <class T>
const T& Pick(std::mt19937& random, const std::vector<T>& from)
{
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
}

// One random folder: rasters named from few stems and extensions, so that
// their names meet in every case.
class Scene {
public:
    // `out` is the output to be written: links are laid among its names
    // (itself, and its header's) more often than elsewhere.
    Scene(std::mt19937& random, const TempDir& dir, const std::string& out) : random_(random), dir_(dir)
    {
        fs::create_directory(dir.Path() / "far");
        dir.Write("far/far.bil", "abcd");
        dir.Write("far/far.hdr", "nrows 2\nncols 2\n");
        dir.Write("far/far.blw", "1\n0\n0\n-1\n5\n5\n");
        const std::string stem = out.substr(0, out.find('.'));
        const std::vector<std::string> outputNames = {out, stem + ".hdr", stem + ".HDR"};
        const int links = kPosix ? std::uniform_int_distribution(0, 2)(random) : 0;
        for (int i = 0; i < links; ++i) {
            LayLink(Pick(random, outputNames));
        }
        const int rasters = std::uniform_int_distribution(1, 4)(random);
        for (int i = 0; i < rasters; ++i) {
            LayRaster();
        }
        const int others = std::uniform_int_distribution(0, 3)(random);
        for (int i = 0; i < others; ++i) {
            const std::string name = Pick(random, kStems) + Pick(random, kOutputExtensions);
            if (kPosix && Chance(2)) {
                LayLink(name);
            } else if (!platform::Exists(dir.File(name))) {
                dir.Write(name, "notes\n");
            }
        }
    }

    static inline const std::vector<std::string> kStems = {"a", "A"};
    static inline const std::vector<std::string> kOutputExtensions = {
        ".bil", ".BIL", ".bsq", ".img", ".dat", ".hdr", ".HDR", ".blw", ".stx", ".STX", ".img.hdr", ".xyz", ".png"};

private:
    bool Chance(int in) { return std::uniform_int_distribution(1, in)(random_) == 1; }

    // A link at `name` into the far raster or to a name of this folder.
    void LayLink(const std::string& name)
    {
        static const std::vector<std::string> kTargets = {"far/far.bil", "far/far.hdr", "far/far.blw",
                                                          "a.hdr",       "a.bil",       "A.img"};
        std::error_code error;
        fs::create_symlink(PathOf(Pick(random_, kTargets)), dir_.Path() / PathOf(name), error);
    }

    void LayRaster()
    {
        static const std::vector<std::string> kDataExtensions = {".bil", ".BIL", ".bsq", ".img", ".dat", ""};
        const std::string stem = Pick(random_, kStems);
        const std::string data = stem + Pick(random_, kDataExtensions);
        const int rows = std::uniform_int_distribution(2, 3)(random_);
        const int columns = std::uniform_int_distribution(2, 3)(random_);
        const bool keyValue = Chance(3);
        const std::string header =
            keyValue ? "ENVI\nsamples = " + std::to_string(columns) + "\nlines = " + std::to_string(rows) +
                           "\nbands = 1\ndata type = 1\ninterleave = bsq\n"
                     : "nrows " + std::to_string(rows) + "\nncols " + std::to_string(columns) + "\n";
        const bool added = keyValue && Chance(2);
        dir_.Write(added ? data + ".hdr" : stem + (Chance(2) ? ".hdr" : ".HDR"), header);
        // Exact, longer (the import asks), shorter (it refuses) or empty.
        const int size = rows * columns + std::uniform_int_distribution(-1, 1)(random_) * (Chance(4) ? 0 : 1);
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
};

// Whether the entry `name` is the output `out`: the same name, or where
// names ignore case one that differs only in case.
bool IsOutput(const TempDir& dir, const std::string& name, const std::string& out)
{
    std::error_code error;
    return name == out ||
           (platform::EqualsIgnoreCase(name, out) && fs::equivalent(dir.File(name), dir.File(out), error));
}

// The entries a write to `out` may change: `out` and, for a raster, its
// header of the name the export writes (in any case), each as named and,
// through a link, as the link leads.
bool MayChange(const TempDir& dir, const std::string& entry, const std::string& out, bool raster)
{
    const std::string stem = out.substr(0, out.find('.'));
    const auto isOutputName = [&](const std::string& name) {
        return IsOutput(dir, name, out) || (raster && platform::EqualsIgnoreCase(name, stem + ".hdr"));
    };
    if (isOutputName(entry)) {
        return true;
    }
    for (const auto& item : fs::directory_iterator(dir.Path())) {
        const std::string name = TextOf(item.path().filename());
        std::error_code error;
        if (isOutputName(name) && item.is_symlink() && fs::equivalent(item.path(), dir.Path() / PathOf(entry), error)) {
            return true;
        }
    }
    return false;
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
    std::mt19937 random(kSeed);
    bndhost::Session session(FENNICK_MODULE_PATH, bndhost::Session::Answer::Yes, true);
    std::map<std::string, int> outcomes;
    for (int trial = 0; trial < kTrials; ++trial) {
        const TempDir dir;
        const std::string command = Pick(random, std::vector<std::string>{"convert", "xyz", "preview"});
        const std::string out = Pick(random, Scene::kStems) + Pick(random, Scene::kOutputExtensions);
        const Scene scene(random, dir, out);
        fs::create_directory(dir.Path() / "in");
        dir.Write("in/in.bil", "\x01\x02\x03\x04");
        dir.Write("in/in.hdr", "nrows 2\nncols 2\n");
        const auto entries = Snapshot(dir.Path());
        const auto readings = Readings(session, dir.Path());
        SCOPED_TRACE("trial " + std::to_string(trial) + ": " + command + " to " + out);

        bndhost::Call call;
        call.operands = {dir.Path() / "in" / "in.bil", dir.Path() / PathOf(out)};
        bndhost::Exit status = bndhost::ExitError;
        std::string said;
        try {
            for (const bndhost::Command& candidate : bndhost::CommandTable()) {
                if (candidate.name == command) {
                    status = candidate.run(session, call);
                }
            }
        } catch (const std::exception& error) {
            said = error.what();
        }
        ++outcomes[status == bndhost::ExitDone ? "written" : "refused"];

        const auto entriesAfter = Snapshot(dir.Path());
        const auto readingsAfter = Readings(session, dir.Path());
        const bool raster = command == "convert";
        if (status != bndhost::ExitDone) {
            EXPECT_EQ(entriesAfter, entries) << "a refused write changes nothing: " << said;
            continue;
        }
        for (const auto& [name, content] : entriesAfter) {
            const auto before = entries.find(name);
            if (before == entries.end() || before->second != content) {
                EXPECT_TRUE(MayChange(dir, name, out, raster)) << name << " changed";
            }
        }
        // A raster that a raster output leads to is the output: it reads as the output does.
        const Reading output = ReadingOf(session, dir.Path() / PathOf(out));
        for (const auto& [name, reading] : readings) {
            std::error_code error;
            if (IsOutput(dir, name, out) || !reading.Read()) {
                continue;
            }
            if (raster && fs::equivalent(dir.Path() / PathOf(name), dir.Path() / PathOf(out), error)) {
                EXPECT_EQ(readingsAfter.at(name).rows, output.rows) << name << " reads otherwise than " << out;
            } else {
                EXPECT_EQ(readingsAfter.at(name), reading) << name << " reads otherwise";
            }
        }
    }
    // The trials both write and refuse, often enough to mean something.
    EXPECT_GT(outcomes["written"], kTrials / 5) << outcomes["refused"] << " refused";
    EXPECT_GT(outcomes["refused"], kTrials / 5) << outcomes["written"] << " written";
}

} // namespace
} // namespace fennick::test
