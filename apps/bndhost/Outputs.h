// The files bndhost's commands write. A raster's files are the module's, which
// stages them; bndhost adds what only it knows (which files a command reads)
// and stages its own text outputs the same way.
#pragma once

#include <filesystem>
#include <string>

namespace bndhost {

class Session;

// Refuses (std::runtime_error) a raster output `out` of `in` before the
// module is asked to write it: one that is, or whose header would be, `in`
// or its header, world or statistics file, under any name that leads there
// and, in `in`'s folder, under any case; or one beside which a world or
// statistics file would be read with the new raster and override its header.
void RefuseRasterOutput(const std::filesystem::path& in, const std::filesystem::path& out);

// A text output (xyz, preview), written under a hidden temporary name beside
// `out` (beside the target of a link) and moved into place whole.
class TextOutput {
public:
    // Refused, with a std::runtime_error that says why:
    // - an output that is `in` or one of its files, as RefuseRasterOutput says;
    // - an output that would be, under any case, the header, world or
    //   statistics file of an existing raster (a file of the same name that
    //   the module of `session` probes as one);
    // - an existing output that is not a regular file (a FIFO or a device is
    //   a stream, and is written directly), or that the user may not write.
    TextOutput(const std::filesystem::path& in, const std::filesystem::path& out, Session& session);
    // Removes what was not committed: a previous output stays as it was.
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Where the command writes.
    [[nodiscard]] const std::filesystem::path& Path() const { return temporary_.empty() ? final_ : temporary_; }

    // Moves the file into place with the permission bits of the file it
    // replaces. Throws std::runtime_error.
    void Commit();

    // For a signal handler that ends the program: removes the temporary file
    // of the output in progress. Async-signal-safe.
    static void RemoveInSignalHandler() noexcept;

private:
    std::filesystem::path final_;
    std::filesystem::path temporary_;
};

} // namespace bndhost
