// Line-by-line reading of the header and side files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tamsel/BufferedFile.h"

namespace fennick {

// The largest header, world or statistics file read: far more than the
// band-name and wavelength lists of thousands of bands take, and little
// enough memory whatever a longer line holds. A larger file is refused
// before its lines are read.
inline constexpr std::int64_t kLargestTextFile = std::int64_t{4} << 20;

// Refuses, through `report`, the open text file `file` (named `path`) when it
// is larger than kLargestTextFile; 0 when it is not.
class Reporter;
int RefuseLargeTextFile(tamsel::CBufferedFile& file, const std::string& path, const Reporter& report);

// Reads a text file's lines as a careful reader does: CR, LF and CR LF each
// end a line, and a UTF-8 byte-order mark at the very start is skipped.
// Read failures end the lines and are kept, not raised, so that a quiet
// caller can return instead.
class TextLines {
public:
    static constexpr std::size_t kChunkSize = 4096; // the bytes each read takes

    // Reads `file` from its current position, which is taken as the start.
    explicit TextLines(tamsel::CBufferedFile& file) : file_(file) {}

    // The next line without its end; false (and an empty line) when none is
    // left or a read failed.
    bool Next(std::string& line);

    // The system error of a failed read; 0 when the file simply ended.
    [[nodiscard]] int Error() const { return error_; }

private:
    bool Fill();

    tamsel::CBufferedFile& file_;
    std::array<char, kChunkSize> chunk_{};
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool atStart_ = true;
    bool ended_ = false;
    bool afterCR_ = false; // the last line ended with CR: a LF next belongs to it
    int error_ = 0;
};

} // namespace fennick
