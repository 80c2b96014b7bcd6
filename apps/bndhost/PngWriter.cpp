#include "PngWriter.h"

#include <png.h>
#include <stdexcept>

namespace bndhost {

void WriteGrayPng(const std::string& path, int width, int height, const std::vector<unsigned char>& pixels)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_GRAY;
    if (png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), width, nullptr) == 0) {
        const std::string reason = image.message;
        png_image_free(&image);
        throw std::runtime_error("cannot write " + path + ": " + reason);
    }
}

} // namespace bndhost
