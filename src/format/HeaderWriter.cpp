#include "format/HeaderWriter.h"

#include <charconv>
#include <iterator>

#include "format/HeaderCompletion.h"
#include "orvo/IoFilter.h"
#include "support/Reporting.h"
#include "tamsel/BufferedFile.h"
#include "tamsel/Format.h"

namespace fennick {

namespace {

// Gives up a file that an exception leaves open, so that a failed write leaves
// no header describing data that may not be there.
class AbandonOnUnwind {
public:
    explicit AbandonOnUnwind(tamsel::CBufferedFile& file) : file_(file) {}
    ~AbandonOnUnwind() { file_.Abort(true); }
    AbandonOnUnwind(const AbandonOnUnwind&) = delete;
    AbandonOnUnwind& operator=(const AbandonOnUnwind&) = delete;

private:
    tamsel::CBufferedFile& file_;
};

// "<keyword> <value>" with 15 decimals, always with a decimal point whatever
// the process's locale, so that every reader reads the value back.
void AppendFixed(std::string& text, const char* keyword, double value)
{
    char digits[400]; // the longest double in fixed notation with 15 decimals fits
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::fixed, 15);
    text += keyword;
    text += ' ';
    text.append(digits, result.ptr);
    text += "\r\n";
}

} // namespace

void WriteHeaderFile(const std::string& headerPath, const std::string& shownPath, const BndHeader& header,
                     const char* pixeltype)
{
    // Only what the import reads back is written.
    if (CheckHeader(header, LayoutOfName(header.layout), SampleTypeOf(header.nbits, pixeltype))) {
        orvo::IoFilter::ThrowError(kExportSource, __LINE__, "%s would describe a raster that cannot be read back.",
                                   shownPath.c_str());
    }
    tamsel::CBufferedFile file;
    if (!file.OpenNoThrow(headerPath.c_str(), "wb", kShare, false)) {
        orvo::IoFilter::ThrowError(kExportSource, __LINE__, "Unable to create the header file %s.", shownPath.c_str());
    }
    const AbandonOnUnwind guard(file);
    std::string text;
    tamsel::FormatString(text, "# %s header file\r\nbyteorder I\r\nnbits %d\r\nnbands %d\r\nncols %d\r\nnrows %d\r\n",
                         header.layout, header.nbits, header.nbands, header.ncols, header.nrows);
    AppendFixed(text, "xdim", header.xdim);
    AppendFixed(text, "ydim", header.ydim);
    AppendFixed(text, "ulxmap", header.ulxmap);
    AppendFixed(text, "ulymap", header.ulymap);
    text += "layout ";
    text += header.layout;
    text += "\r\npixeltype ";
    text += pixeltype;
    text += "\r\n";
    file.Write(text.data(), static_cast<unsigned int>(text.size()));
    file.Close();
}

} // namespace fennick
