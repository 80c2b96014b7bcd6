#include "Session.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

#include "BandStatistics.h"
#include "HeaderFacts.h"
#include "StagedOutput.h"
#include "hostside/IoError.h"

namespace bndhost {

namespace {

namespace fs = std::filesystem;

// Says on stderr why an operation ended without doing all of it.
Exit NotDone(const std::string& why)
{
    Complain(why);
    return ExitNotDone;
}

// Hands every object to `receiver` while it lives; none afterwards, however
// the operation ends.
class Receiving {
public:
    Receiving(HostManager& manager, std::function<bool(orvo::TrBase&)> receiver) : manager_(manager)
    {
        manager_.receiver = std::move(receiver);
    }
    ~Receiving() { manager_.receiver = nullptr; }
    Receiving(const Receiving&) = delete;
    Receiving& operator=(const Receiving&) = delete;

private:
    HostManager& manager_;
};

// True when the two paths name one file: the same inode when both exist,
// else the same path once made absolute and resolved.
bool SameFile(const fs::path& a, const fs::path& b)
{
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0) {
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    std::error_code error;
    const fs::path left = fs::weakly_canonical(a, error);
    const fs::path right = fs::weakly_canonical(b, error);
    return !error && left == right;
}

fs::path WithExtension(const std::string& path, const char* extension)
{
    return fs::path(path).replace_extension(extension);
}

bool IsDataFileMissing(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

} // namespace

std::string OverwriteRefusal(const std::string& in, const std::string& out, bool withHeader)
{
    const struct {
        fs::path path;
        const char* role;
    } inputs[] = {
        {in, "the input"},
        {WithExtension(in, ".hdr"), "the input's header"},
        {WithExtension(in, ".blw"), "the input's world file"},
        {WithExtension(in, ".stx"), "the input's statistics file"},
    };
    std::vector<fs::path> written{out};
    if (withHeader) {
        written.push_back(WithExtension(out, ".hdr"));
    }
    for (const fs::path& path : written) {
        for (const auto& input : inputs) {
            if (SameFile(path, input.path)) {
                return "refused: writing " + path.string() + " would overwrite " + input.path.string() + ", " +
                       input.role + " " + in;
            }
        }
    }
    return {};
}

Session::Session(const std::string& modulePath, HostManager::Answer answer, bool quiet)
    : module_(modulePath), manager_(answer, quiet)
{
}

std::unique_ptr<orvo::IoImportFilter> Session::NewImporter()
{
    std::unique_ptr<orvo::IoImportFilter> filter(module_.Importer()(manager_));
    if (!filter) {
        throw ModuleError(module_.Path() + " gave no import filter");
    }
    return filter;
}

int Session::Probe(const std::string& path)
{
    return NewImporter()->ProbeFile(path.c_str());
}

Exit Session::Import(const std::string& path, const LatticeSink& onLattice, const RowSink& onRow)
{
    if (IsDataFileMissing(path)) {
        Complain(path + ": no such file");
        return ExitError;
    }
    bool gotLattice = false;
    std::string refusal;
    const Receiving receiving(manager_, [&](orvo::TrBase& object) {
        if (object.GetTypeId() == orvo::TrUniformLattice::GetClassTypeId()) {
            gotLattice = true;
            if (!onLattice(static_cast<orvo::TrUniformLattice&>(object))) {
                refusal = "the lattice was refused";
                return false;
            }
            return true;
        }
        if (object.GetTypeId() == orvo::TrLatticeScan::GetClassTypeId() &&
            onRow(static_cast<orvo::TrLatticeScan&>(object))) {
            return true;
        }
        refusal = "a row was refused";
        return false;
    });
    const std::unique_ptr<orvo::IoImportFilter> filter = NewImporter();
    orvo::ImportStatus status = orvo::ImportStatus::Stopped;
    try {
        status = filter->ImportFromFile(path.c_str(), false);
    } catch (const orvo::IoError& error) {
        const std::string text = error.what();
        const std::optional<HeaderFacts> facts = HeaderFacts::Of(path);
        if (text.find("does not appear to be complete") == std::string::npos || !facts || !facts->dataSize) {
            throw;
        }
        throw std::runtime_error(OneLine(text) + " (the data file has " + std::to_string(*facts->dataSize) +
                                 " bytes of the " + std::to_string(facts->expectedSize) + " its header describes)");
    }
    switch (status) {
    case orvo::ImportStatus::Done: return ExitDone;
    case orvo::ImportStatus::Declined: return NotDone("declined: " + path + " was not imported");
    default: break;
    }
    if (HostManager::StopRequested()) {
        Complain("interrupted");
        return ExitInterrupted;
    }
    if (!gotLattice) {
        return NotDone("not importable: " + path +
                       " is not a banded raster this module reads (it needs an extension and at least 2 rows and "
                       "2 columns)");
    }
    return NotDone(refusal.empty() ? "stopped: the import of " + path + " was cancelled"
                                   : "refused: " + refusal + " while importing " + path);
}

Exit Session::Convert(const std::string& in, const std::string& out)
{
    if (const std::string overlap = OverwriteRefusal(in, out, true); !overlap.empty()) {
        Complain(overlap);
        return ExitError;
    }
    const std::string extension = fs::path(out).extension().string();
    if (extension.empty() || extension == ".") {
        return NotDone("refused: " + out + " has no extension (.bil, .bip or .bsq chooses the layout)");
    }
    if (strcasecmp(extension.c_str(), ".hdr") == 0) {
        return NotDone("refused: " + out + " ends in .hdr, so its header would overwrite it");
    }
    StagedOutput staged(out);
    manager_.ShowNameAs(fs::path(staged.DataPath()).filename().string(), fs::path(out).filename().string());
    std::unique_ptr<orvo::IoExportFilter> exporter(module_.Exporter()(manager_));
    if (!exporter) {
        throw ModuleError(module_.Path() + " gave no export filter");
    }
    if (exporter->BeginExport(staged.DataPath().c_str(), false) != orvo::ExportStatus::Done) {
        return NotDone("refused: the module would not export to " + out);
    }
    // What the export changes in a floating-point lattice (imports give no
    // other that it changes): its fractions, and, counted as the rows go by,
    // values beyond the signed 32-bit range (which saturate) and NaN (written as 0).
    bool fractional = false;
    std::uint64_t saturated = 0;
    std::uint64_t nan = 0;
    const auto forward = [&](orvo::TrBase& object) {
        if (object.GetTypeId() == orvo::TrUniformLattice::GetClassTypeId()) {
            const int type = static_cast<orvo::TrLattice&>(object).elementType;
            fractional = type == tamsel::CPrimType::Float32 || type == tamsel::CPrimType::Float64;
        } else if (fractional && object.GetTypeId() == orvo::TrLatticeScan::GetClassTypeId()) {
            ForEachValue(static_cast<const orvo::TrLatticeScan&>(object), [&](std::size_t, std::size_t, double value) {
                nan += std::isnan(value) ? 1 : 0;
                saturated += value >= 0x1p31 || value < -0x1p31 ? 1 : 0;
            });
        }
        return exporter->ExportObject(object) == orvo::ExportStatus::Done;
    };
    if (const Exit imported = Import(in, forward, forward); imported != ExitDone) {
        return imported; // the staged files are removed; a previous output stays as it was
    }
    if (exporter->EndExport() != orvo::ExportStatus::Done) {
        return NotDone("refused: nothing was exported to " + out);
    }
    exporter.reset();
    if (HostManager::StopRequested()) {
        Complain("interrupted");
        return ExitInterrupted;
    }
    staged.Commit();
    if (fractional) {
        std::string said = "fractions are dropped";
        const auto count = [](std::uint64_t n, const char* what) {
            return std::to_string(n) + (n == 1 ? " " + std::string(what) + " is" : " " + std::string(what) + "s are");
        };
        if (saturated > 0) {
            said += "; " + count(saturated, "value") + " beyond the signed 32-bit range, saturated";
        }
        if (nan > 0) {
            said += "; " + count(nan, "NaN value") + " written as 0";
        }
        Complain("note: " + in + " holds floating-point values; " + out + " holds them as whole numbers (" + said +
                 ")");
    }
    return ExitDone;
}

} // namespace bndhost
