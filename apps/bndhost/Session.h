// The host session: the loaded module, driven as the host application drives
// it, and bndhost's side of the host seam (Terminal.cpp: progress, questions).
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "ModuleLoader.h"
#include "orvo/IoManager.h"
#include "orvo/Transferable.h"

namespace bndhost {

class Session final : public orvo::IoManager {
public:
    enum class Answer { Ask, Yes, No };

    Session(const std::string& modulePath, Answer answer, bool quiet);

    // The module's probe of `path`: 0, 1 or 2.
    int Probe(const std::filesystem::path& path);

    // Imports `path`, handing the lattice to `lattice`, then each row to
    // `row`; each returns false to refuse its object, which stops the import.
    // Returns ExitDone, or another status after printing why. Errors (a
    // missing or incomplete file, the module's own) are thrown.
    Exit Import(const std::filesystem::path& path, const std::function<bool(orvo::TrUniformLattice&)>& lattice,
                const std::function<bool(orvo::TrLatticeScan&)>& row);

    std::unique_ptr<orvo::IoExportFilter> NewExporter();

    // Asks every running operation to stop (a signal handler calls it).
    static void RequestStop();
    [[nodiscard]] static bool StopRequested();

    [[nodiscard]] std::string GetFormatName() const override;
    void ProgressStart() override;
    void ProgressMessage(const std::string& text) override;
    bool ProgressProportion(double fraction) override;
    void ProgressStop() override;
    int Warning(tamsel::IError::WarnStyle style, const std::string& text) override;
    bool ReceiveObject(orvo::TrBase& object) override;

private:
    std::unique_ptr<orvo::IoImportFilter> NewImporter();
    void Draw(double fraction);

    ModuleLoader module_;
    Answer answer_;
    bool showProgress_;
    // The message of each open progress, innermost last: when an inner one
    // (the import inside a convert) stops, the outer one shows again.
    std::vector<std::string> messages_;
    int lastPercent_ = -1;
    // Where the running import's objects go, and what became of them.
    std::function<bool(orvo::TrUniformLattice&)> lattice_;
    std::function<bool(orvo::TrLatticeScan&)> row_;
    bool gotLattice_ = false;
    bool refused_ = false;
};

// Turns the module's "\r\n" line ends into plain "\n" for the terminal.
std::string PlainText(std::string text);

// The text on one line: each run of line ends becomes one space.
std::string OneLine(const std::string& text);

// Clears the progress line if one is drawn, then prints "bndhost: " and the
// message on one line to stderr.
void Complain(const std::string& message);

// Says on stderr why an operation ended without doing all of it: ExitNotDone.
Exit NotDone(const std::string& why);

} // namespace bndhost
