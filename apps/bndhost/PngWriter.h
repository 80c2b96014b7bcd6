// Writing an 8-bit grayscale PNG.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bndhost {

// Writes `pixels` (rows top first, `width` bytes each) to `path`; throws
// std::runtime_error naming the file as `shown` on failure.
void WriteGrayPng(const std::filesystem::path& path, const std::string& shown, int width, int height,
                  const std::vector<unsigned char>& pixels);

} // namespace bndhost
