// An export whose data file cannot be written: the error comes from the
// operation that wrote, no header is left, and the partial data file goes.
#include <csignal>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "export/BndExportFilter.h"
#include "hostside/FileError.h"
#include "support/TempDir.h"
#include "support/TestHost.h"
#include "tamsel/Path.h"

namespace fennick::test {
namespace {

// Runs `body` in a child process whose files may not grow beyond `limit`
// bytes; returns the child's exit status (a set of failure bits, 0 when all held).
int WithFileSizeLimit(rlim_t limit, const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit bound{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &bound);
        std::signal(SIGXFSZ, SIG_IGN);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

enum Failure {
    NotRaisedByTheWriter = 1,
    HeaderLeft = 2,
    DataLeft = 4,
    NoSystemReason = 8,
    ProgressLeftOpen = 16,
};

// Exports a 400 KB lattice to `path` under a 100 KB file-size limit.
int ExportTooMuch(const std::string& path, bool failsWhileRowsArrive)
{
    TestHost host;
    int failures = 0;
    {
        BndExportFilter filter(host);
        filter.BeginExport(path.c_str(), false);
        orvo::TrUniformLattice lattice(tamsel::CPrimType::Int32, 1000, 100, 1, 1);
        filter.ExportObject(lattice);
        orvo::TrLatticeScan scan(lattice);
        std::string reason;
        bool raisedInRows = false;
        try {
            for (int row = 0; row < lattice.rows; ++row) {
                filter.ExportObject(scan);
            }
        } catch (const tamsel::CFileError& error) {
            raisedInRows = true;
            reason = error.what();
        }
        bool raisedAtEnd = false;
        if (!raisedInRows) {
            try {
                filter.EndExport();
            } catch (const tamsel::CFileError& error) {
                raisedAtEnd = true;
                reason = error.what();
            }
        }
        if (failsWhileRowsArrive ? !raisedInRows : !raisedAtEnd) {
            failures |= NotRaisedByTheWriter;
        }
        if (reason.find("File too large") == std::string::npos) {
            failures |= NoSystemReason;
        }
        if (std::filesystem::exists(tamsel::CPath::ChangeExtension(path.c_str(), ".hdr"))) {
            failures |= HeaderLeft;
        }
    }
    if (std::filesystem::exists(path)) {
        failures |= DataLeft;
    }
    if (host.ProgressOpen()) {
        failures |= ProgressLeftOpen;
    }
    return failures;
}

TEST(FailedWrite, ABilRowThatCannotBeWrittenRaisesFromExportObject)
{
    TempDir dir;
    EXPECT_EQ(WithFileSizeLimit(100000, [&] { return ExportTooMuch(dir.File("full.bil"), true); }), 0);
}

TEST(FailedWrite, ABsqFileThatCannotBeWrittenRaisesFromEndExport)
{
    TempDir dir;
    EXPECT_EQ(WithFileSizeLimit(100000, [&] { return ExportTooMuch(dir.File("full.bsq"), false); }), 0);
}

} // namespace
} // namespace fennick::test
