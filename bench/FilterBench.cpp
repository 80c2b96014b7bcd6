// Readers and writers on 100 MB+ rasters, each timed beside the floor: reading
// the file's bytes (import) or writing the output's bytes (export) with the
// same buffered file. The counter "vs_floor" is the ratio of their medians
// over five runs.
//
//   build/default/bin/fennick_bench [--benchmark_filter=Import]
//
// Files are made once per run in $FENNICK_BENCH_DIR, else /dev/shm (about
// 2 GB), and removed at the end.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "RasterWriter.h"
#include "export/BndExportFilter.h"
#include "hostside/Lattices.h"
#include "import/BndImportFilter.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr auto kShare = tamsel::CBufferedFile::ShareReadWrite;

struct Raster {
    const char* name;
    const char* layout;
    int nbits, nrows, ncols, nbands;
};

// Every width, both byte orders, 1 and 3 bands in each layout, the short band
// rows that make BSQ jump between bands, and an imaging spectrometer's scene
// (224 bands of 512 rows of 614 columns) in each layout.
const Raster kRasters[] = {
    {"bil1", "BIL", 1, 16000, 16000, 1},       {"bil4", "BIL", 4, 12000, 12000, 1},
    {"bil8", "BIL", 8, 10000, 10000, 1},       {"bil16", "BIL", 16, 8000, 8000, 1},
    {"bil16be", "BIL", 16, 8000, 8000, 1},     {"bil32", "BIL", 32, 5000, 5000, 1},
    {"bil32be", "BIL", 32, 5000, 5000, 1},     {"bil8x3", "BIL", 8, 6000, 6000, 3},
    {"bil16x3", "BIL", 16, 4000, 4000, 3},     {"bil16x3be", "BIL", 16, 4000, 4000, 3},
    {"bil32x3", "BIL", 32, 3000, 3000, 3},     {"bip8x3", "BIP", 8, 6000, 6000, 3},
    {"bip16", "BIP", 16, 8000, 8000, 1},       {"bip16x3", "BIP", 16, 4000, 4000, 3},
    {"bip32x3", "BIP", 32, 3000, 3000, 3},     {"bsq8x3", "BSQ", 8, 6000, 6000, 3},
    {"bsq16", "BSQ", 16, 8000, 8000, 1},       {"bsq16x3", "BSQ", 16, 4000, 4000, 3},
    {"bsq16x3be", "BSQ", 16, 4000, 4000, 3},   {"bsq32x3", "BSQ", 32, 3000, 3000, 3},
    {"bil16x4short", "BIL", 16, 200000, 2, 4}, {"bsq16x4short", "BSQ", 16, 200000, 2, 4},
    {"bil16x224", "BIL", 16, 512, 614, 224},   {"bip16x224", "BIP", 16, 512, 614, 224},
    {"bsq16x224", "BSQ", 16, 512, 614, 224},
};

fs::path Folder()
{
    // Memory-backed by default, so that disk writeback does not drown what is measured.
    static const fs::path folder = [] {
        const char* chosen = std::getenv("FENNICK_BENCH_DIR");
        const fs::path base = chosen != nullptr              ? fs::path(chosen)
                              : fs::is_directory("/dev/shm") ? fs::path("/dev/shm")
                                                             : fs::temp_directory_path();
        fs::path path = base / ("fennick-bench-" + std::to_string(::getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

// Writes the raster and its header once; returns the data path.
std::string Make(const Raster& raster)
{
    const std::string data = (Folder() / (std::string(raster.name) + ".dat")).string();
    if (!fs::exists(data)) {
        const rasters::RasterShape shape{.layout = raster.layout,
                                         .nbits = raster.nbits,
                                         .byteorder = std::string(raster.name).ends_with("be") ? 'M' : 'I',
                                         .nrows = raster.nrows,
                                         .ncols = raster.ncols,
                                         .nbands = raster.nbands};
        const std::uint32_t mask = raster.nbits == 32 ? 0xFFFFFFFFU : (1U << raster.nbits) - 1U;
        rasters::WriteRaster(data, shape, [&](int row, int band, int column) {
            return static_cast<std::uint32_t>((row * 7919U + band * 104729U + column * 31U) & mask);
        });
    }
    return data;
}

// The median of the runs' seconds.
double Median(std::vector<double> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    const std::size_t n = seconds.size();
    return n == 0 ? 0.0 : n % 2 == 1 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds that `work` takes.
template <class Work>
double Time(Work&& work)
{
    const auto start = Clock::now();
    work();
    return Seconds(start);
}

// The read floor moves the bytes in the pieces that suit the cache best: the
// fastest of 64 KiB, 128 KiB and 1 MiB. The write floor writes 128 KiB pieces
// as cat does (one pass: each pass allocates the whole output again).
constexpr std::size_t kFloorChunks[] = {64 * 1024, 128 * 1024, 1024 * 1024};

void ReadBytes(const std::string& path, std::size_t chunkSize)
{
    tamsel::CBufferedFile file(path.c_str(), "rb", kShare, false);
    std::vector<unsigned char> chunk(chunkSize);
    while (file.Read(chunk.data(), static_cast<unsigned int>(chunk.size())) == chunk.size()) {
    }
}

void WriteBytes(const std::string& path, std::size_t bytes, std::size_t chunkSize)
{
    std::filesystem::remove(path);
    tamsel::CBufferedFile file(path.c_str(), "wb", kShare, false);
    std::vector<unsigned char> chunk(chunkSize, 7);
    for (std::size_t done = 0; done < bytes; done += chunk.size()) {
        file.Write(chunk.data(), static_cast<unsigned int>(std::min(chunk.size(), bytes - done)));
    }
    file.Close();
}

void Import(benchmark::State& state, const Raster& raster)
{
    const std::string data = Make(raster);
    orvo::IoManager discard; // accepts every row and keeps nothing
    std::vector<double> total;
    std::vector<double> floor;
    for (auto _ : state) {
        // The floor runs beside each import so that both see the same page cache.
        state.PauseTiming();
        double fastest = 1e9;
        for (const std::size_t chunk : kFloorChunks) {
            fastest = std::min(fastest, Time([&] { ReadBytes(data, chunk); }));
        }
        floor.push_back(fastest);
        state.ResumeTiming();
        total.push_back(Time([&] {
            fennick::BndImportFilter filter(discard);
            if (filter.ImportFromFile(data.c_str(), false) != orvo::ImportStatus::Done) {
                state.SkipWithError("import failed");
            }
        }));
    }
    state.counters["vs_floor"] = Median(total) / Median(floor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(data)));
}

void Export(benchmark::State& state, const char* extension, tamsel::CPrimType type, int ncols, int nrows, int nbands)
{
    orvo::TrUniformLattice lattice(type, ncols, nrows, 1, nbands);
    orvo::TrLatticeScan scan(lattice);
    // Whole-number rows get varied bytes; floating-point rows ordinary values
    // (varied bytes would be mostly NaN and huge numbers).
    const std::size_t rowBytes = orvo::LatticeRows::RowBytes(scan);
    for (std::size_t i = 0; i < rowBytes; ++i) {
        scan.rowBuffer[i] = static_cast<unsigned char>(i * 13);
    }
    for (std::size_t i = 0; type == tamsel::CPrimType::Float64 && i < rowBytes / sizeof(double); ++i) {
        const double value = static_cast<double>(i % 20011) * 0.37 - 3000.0;
        std::memcpy(scan.rowBuffer + i * sizeof(double), &value, sizeof value);
    }
    // A name of each layout's own: the export refuses a header that also describes another layout's file.
    const std::string path = (Folder() / (std::string("export-") + (extension + 1) + extension)).string();
    const std::size_t outputBytes = static_cast<std::size_t>(ncols) * nrows * nbands * 4;
    const std::string floorPath = (Folder() / "floor.out").string();
    orvo::IoManager host;
    std::vector<double> total;
    std::vector<double> floor;
    for (auto _ : state) {
        state.PauseTiming();
        floor.push_back(Time([&] { WriteBytes(floorPath, outputBytes, kFloorChunks[1]); }));
        fs::remove(path);
        state.ResumeTiming();
        total.push_back(Time([&] {
            fennick::BndExportFilter filter(host);
            filter.BeginExport(path.c_str(), false);
            filter.ExportObject(lattice);
            for (int r = 0; r < nrows; ++r) {
                filter.ExportObject(scan);
            }
            filter.EndExport();
        }));
    }
    state.counters["vs_floor"] = Median(total) / Median(floor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outputBytes));
}

// The inline fast path: 4-byte reads served from the buffer.
void SmallReads(benchmark::State& state)
{
    const std::string data = Make(kRasters[2]);
    tamsel::CBufferedFile file(data.c_str(), "rb", kShare, false);
    std::uint32_t value = 0;
    std::uint32_t sum = 0;
    for (auto _ : state) {
        if (file.Read(&value, 4) != 4) {
            file.Seek(0, tamsel::CBufferedFile::Begin);
        }
        sum += value;
    }
    benchmark::DoNotOptimize(sum);
}

void RegisterAll()
{
    for (const Raster& raster : kRasters) {
        benchmark::RegisterBenchmark((std::string("Import/") + raster.name).c_str(), Import, raster)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    }
    for (const char* extension : {".bil", ".bip", ".bsq"}) {
        benchmark::RegisterBenchmark((std::string("Export/int16x3_4000") + extension).c_str(), Export, extension,
                                     tamsel::CPrimType::Int16, 4000, 4000, 3)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    }
    for (const char* extension : {".bil", ".bip", ".bsq"}) {
        benchmark::RegisterBenchmark((std::string("Export/int16x224_614x512") + extension).c_str(), Export, extension,
                                     tamsel::CPrimType::Int16, 614, 512, 224)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    }
    for (const char* extension : {".bil", ".bsq"}) {
        benchmark::RegisterBenchmark((std::string("Export/int16x4_short") + extension).c_str(), Export, extension,
                                     tamsel::CPrimType::Int16, 2, 200000, 4)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    }
    benchmark::RegisterBenchmark("Export/int16_8000.bil", Export, ".bil", tamsel::CPrimType::Int16, 8000, 8000, 1)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("Export/float64_5000.bil", Export, ".bil", tamsel::CPrimType::Float64, 5000, 5000, 1)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BufferedFile/Read4Bytes", SmallReads);
}

} // namespace

int main(int argc, char** argv)
{
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Folder());
    return 0;
}
