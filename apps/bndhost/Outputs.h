// The files bndhost's commands write. A raster's files are the module's, which
// stages them and keeps every other raster as it was; bndhost adds what only
// it knows (which file a command reads) and keeps its own outputs to the
// module's rule (RasterGuard.h) through the same files library.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "files/StagedFile.h"

namespace bndhost {

class Session;

// Refuses (std::runtime_error) an output `out` that is the input `in`: the
// same file, the same path once resolved, or, in its folder, a name that
// differs only in case.
void RefuseInput(const std::filesystem::path& in, const std::filesystem::path& out);

// A text output (xyz, preview), written under a hidden temporary name beside
// `out` (beside the target of a link) and moved into place whole.
class TextOutput {
public:
    // Refused, with a std::runtime_error that says why:
    // - an output that is the input (RefuseInput);
    // - one that would change a raster other than itself (RefusalOf), each
    //   file counted a raster that the module of `session` probes as one;
    // - an existing output that is not a regular file (a FIFO or a device is
    //   a stream, and is written directly), or that the user may not write.
    TextOutput(const std::filesystem::path& in, const std::filesystem::path& out, Session& session);
    // Removes what was not committed: a previous output stays as it was.
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Where the command writes.
    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

    // Under the folder's lock, checks the output again, then moves the file
    // into place with the permission bits of the file it replaces. Throws
    // std::runtime_error.
    void Commit();

    // For a signal handler that ends the program: removes the temporary file
    // of the output in progress. Async-signal-safe.
    static void RemoveInSignalHandler() noexcept;

private:
    // Throws when writing the output is refused.
    void Check() const;

    Session& session_;
    std::filesystem::path out_;
    std::filesystem::path path_;
    std::optional<fennick::StagedFile> staged_; // none for a stream
};

} // namespace bndhost
