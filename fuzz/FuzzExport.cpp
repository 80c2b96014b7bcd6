// Fuzzes the whole export: the input is a script. Its first byte picks the
// output's extension; each following op byte, with the bytes after it, begins
// a lattice of fuzzed type, shape and geometry, sends a row (of the current
// lattice, or of another shape), makes the host stop, begins the export again
// or ends it.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>

#include "FuzzFiles.h"
#include "export/BndExportFilter.h"
#include "hostside/FileError.h"
#include "hostside/IoError.h"
#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"

namespace {

constexpr int kMaxInt = std::numeric_limits<int>::max();

// Reads the script; past its end every value is zero.
struct Script {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    std::uint8_t Byte() { return at < size ? data[at++] : 0; }

    // A lattice size: mostly small, sometimes one that no row can hold.
    int Size()
    {
        static constexpr int kLarge[] = {-1, -7, kMaxInt, std::numeric_limits<int>::min(), 1 << 16, 1 << 30};
        const std::uint8_t b = Byte();
        return b < 240 ? b % 40 : kLarge[b % std::size(kLarge)];
    }

    double Number()
    {
        static constexpr double kSpecial[] = {0.0, -0.0, 1e308, -1e308, 5e-324, HUGE_VAL, NAN};
        const std::uint8_t b = Byte();
        return b < 200 ? (b - 100) * 0.25 : kSpecial[b % std::size(kSpecial)];
    }
};

// Answers progress as the script says: false once `stopAfter` reports have come.
class ScriptHost final : public orvo::IoManager {
public:
    bool ProgressProportion(double /*fraction*/) override { return stopAfter < 0 || reports++ < stopAfter; }

    int stopAfter = -1;
    int reports = 0;
};

constexpr double kLimit = 1 << 20;

// Bytes of one row of a lattice whose sizes are valid, as the module counts
// its largest row buffer.
double RowBytes(const orvo::TrLattice& lattice)
{
    return static_cast<double>(lattice.columns) * lattice.components *
           std::max(4, tamsel::CPrimType::TypeSize[lattice.elementType]);
}

// True when `lattice` is one this run can afford: its rows, and for BSQ all of
// them, within 1 MiB (a real host would have more memory; the refusal paths
// are reached by invalid sizes and by those that overflow, which pass here).
bool Affordable(const orvo::TrLattice& lattice, bool bsq)
{
    if (!tamsel::IsKnownType(lattice.elementType) || lattice.columns < 0 || lattice.components < 0 ||
        lattice.rows < 0) {
        return true;
    }
    const double row = RowBytes(lattice);
    return (row <= kLimit && (!bsq || row * lattice.rows <= kLimit)) || row > std::numeric_limits<std::int32_t>::max();
}

// Checks, once the filter is gone however the export ended, that none of its
// temporary files is left.
struct NoTemporaryLeft {
    ~NoTemporaryLeft()
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(fennick::fuzz::Folder(), error)) {
            if (entry.path().filename().string().find(".fennick-") != std::string::npos) {
                std::abort();
            }
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace fennick;
    static constexpr const char* kNames[] = {"out.bil", "out.bip", "out.bsq", "out.BSQ", "out.xyz", "out.hdr", "out"};
    Script script{data, size};
    for (const char* name : kNames) {
        fuzz::Place(name, "", false); // each run starts with none of the outputs
    }
    const std::string path = fuzz::Folder() + "/" + kNames[script.Byte() % std::size(kNames)];
    const bool bsq = path.ends_with(".bsq") || path.ends_with(".BSQ");
    std::error_code error;

    const NoTemporaryLeft check;
    ScriptHost host;
    std::unique_ptr<orvo::TrUniformLattice> current;
    int latticesTaken = 0;
    int rowsTaken = 0;
    try {
        BndExportFilter filter(host);
        if (filter.BeginExport(path.c_str(), false) != orvo::ExportStatus::Done) {
            if (std::filesystem::exists(path, error)) {
                std::abort(); // a refused export creates nothing
            }
            return 0;
        }
        while (script.at < script.size) {
            switch (script.Byte() % 6) {
            case 0: { // a lattice
                auto lattice =
                    std::make_unique<orvo::TrUniformLattice>(tamsel::CPrimType(script.Byte() % 11 - 1), script.Size(),
                                                             script.Size(), script.Size(), script.Size());
                lattice->xMin = script.Number();
                lattice->yMin = script.Number();
                lattice->dx = script.Number();
                lattice->dy = script.Number();
                if (Affordable(*lattice, bsq) && filter.ExportObject(*lattice) == orvo::ExportStatus::Done) {
                    ++latticesTaken;
                    rowsTaken = 0;
                    current = std::move(lattice);
                }
                break;
            }
            case 1:   // a row of the current lattice, filled from the script
            case 2: { // or of a lattice one column wider
                if (!current) {
                    break;
                }
                const int wider = current->columns == kMaxInt ? 0 : current->columns + 1;
                orvo::TrUniformLattice other(current->elementType, wider, current->rows, current->planes,
                                             current->components);
                const orvo::TrLattice& shape = script.Byte() % 2 == 0 ? static_cast<orvo::TrLattice&>(*current) : other;
                if (RowBytes(shape) > kLimit) {
                    break;
                }
                orvo::TrLatticeScan scan(shape);
                for (std::size_t i = 0; i < orvo::LatticeRows::RowBytes(scan); ++i) {
                    scan.rowBuffer[i] = script.Byte();
                }
                rowsTaken += filter.ExportObject(scan) == orvo::ExportStatus::Done && &shape == current.get() ? 1 : 0;
                break;
            }
            case 3: host.stopAfter = host.reports + script.Byte() % 4; break;
            case 4: filter.ExportObject(*std::make_unique<orvo::TrCRS>("")); break;
            case 5: {
                const bool done = filter.EndExport() == orvo::ExportStatus::Done;
                const std::uintmax_t length = std::filesystem::file_size(path, error);
                // One lattice whose rows all came: a file of exactly its 32-bit samples.
                if (done && latticesTaken == 1 && current && rowsTaken >= current->rows &&
                    (error || length != std::uintmax_t{4} * current->rows * current->columns * current->components)) {
                    std::abort();
                }
                if (!done && !error) {
                    std::abort(); // an export that ends with nothing leaves nothing
                }
                return 0;
            }
            }
        }
    } catch (const orvo::IoError&) {
    } catch (const tamsel::CFileError&) {
    }
    return 0;
}
