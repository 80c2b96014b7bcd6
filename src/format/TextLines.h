// Line-by-line reading of the header and side files.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "tamsel/BufferedFile.h"

namespace fennick {

// Reads a text file's lines as a careful reader does: CR, LF and CR LF each
// end a line, and a UTF-8 byte-order mark at the very start is skipped.
// Read failures end the lines and are kept, not raised, so that a quiet
// caller can return instead.
class TextLines {
public:
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
    std::array<char, 4096> chunk_{};
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool atStart_ = true;
    bool ended_ = false;
    bool afterCR_ = false; // the last line ended with CR: a LF next belongs to it
    int error_ = 0;
};

} // namespace fennick
