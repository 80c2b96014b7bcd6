// Every file a bndhost command writes goes through an Output, which keeps the
// promise that no command, input or mistake destroys or silently alters a
// user's file.
#pragma once

#include <string>

namespace bndhost {

class Output {
public:
    // A raster (a data file and its header, written by the export) or one text file.
    enum class Kind { Raster, Text };

    // Checks `out` against `in` and its neighbours, then stages it. Refused,
    // with a std::runtime_error that says why:
    // - an output that is `in` or its header, world or statistics file, under
    //   any name that leads there;
    // - an existing output that is not a regular file (a text output that is a
    //   FIFO or a device is a stream, and is written directly), or that the
    //   user may not write;
    // - a raster whose header exists and also describes another data file of
    //   the same name (.bil, .bip, .bsq), or beside which a world or statistics
    //   file would override the new header.
    // The new files are written under hidden temporary names beside the output
    // (beside the target of a link).
    Output(const std::string& in, const std::string& out, Kind kind);
    // Removes what was not committed: a previous output stays as it was.
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Where the command writes.
    [[nodiscard]] const std::string& Path() const { return temporary_.empty() ? final_ : temporary_; }

    // Moves the files into place, each with the permission bits of the file it
    // replaces, the data file before its header. Throws std::runtime_error.
    void Commit();

    // Refuses (std::runtime_error) writing `out` when it is `in` or its
    // header, world or statistics file, under any name that leads there: the
    // first of the constructor's checks, for a command that must look at
    // `out` before it stages anything.
    static void RefuseOverwritingInput(const std::string& in, const std::string& out);

    // `text` with the temporary names of this run's outputs replaced by the
    // names the user gave.
    static std::string AsGiven(std::string text);

    // For a signal handler that ends the program: removes the temporary files
    // of the output in progress. Async-signal-safe.
    static void RemoveInSignalHandler() noexcept;

private:
    std::string final_;
    std::string finalHeader_;
    std::string temporary_;
    std::string temporaryHeader_;
};

// Makes the demo's folder: a new one, or one that exists and is empty, so
// that the demo never writes over a user's files. Throws std::runtime_error.
void PrepareEmptyFolder(const std::string& folder);

} // namespace bndhost
