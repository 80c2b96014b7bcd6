// The output of a command (a convert's data file and header, or one text
// file), written under temporary names beside the output and moved into place
// only when complete.
#pragma once

#include <string>

namespace bndhost {

class StagedOutput {
public:
    enum class Files { DataAndHeader, DataOnly };

    // Creates an empty temporary data file (with `out`'s extension, so the
    // layout stays the same) and, unless `files` is DataOnly, its temporary
    // header in the folder of `out` (of the file a symbolic link `out` points
    // to). Throws std::runtime_error.
    explicit StagedOutput(const std::string& out, Files files = Files::DataAndHeader);
    // Removes whatever temporary file is left: an unfinished convert leaves
    // the previous output as it was.
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Where the export writes.
    [[nodiscard]] const std::string& DataPath() const { return tempData_; }

    // Renames the data file, then the header if there is one, over the final ones. Throws
    // std::runtime_error; what was not moved is removed by the destructor.
    void Commit();

    // For a signal handler that ends the program: removes the temporary files
    // of the staged output in progress. Async-signal-safe.
    static void RemoveInSignalHandler() noexcept;

private:
    // Hands the temporary names to the signal handler (held signals).
    void Announce();

    std::string finalData_;
    std::string finalHeader_;
    std::string tempData_;
    std::string tempHeader_;
};

} // namespace bndhost
