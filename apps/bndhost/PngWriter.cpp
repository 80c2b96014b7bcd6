#include "PngWriter.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <zlib.h>

namespace bndhost {

namespace {

void PutBigEndian(std::string& out, std::uint32_t value)
{
    out += {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// Appends one chunk: length, type, data and the CRC of type and data.
void PutChunk(std::string& out, const char (&type)[5], const std::string& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out += data;
    const auto* typed = reinterpret_cast<const Bytef*>(out.data() + start);
    PutBigEndian(out, static_cast<std::uint32_t>(::crc32(0, typed, static_cast<uInt>(out.size() - start))));
}

} // namespace

// The image is small (a preview), so it is assembled in memory: each row is
// prefixed by filter type 0 and the whole deflated into one IDAT chunk.
void WriteGrayPng(const std::filesystem::path& path, const std::string& shown, int width, int height,
                  const std::vector<unsigned char>& pixels)
{
    const auto rowBytes = static_cast<std::size_t>(width);
    std::string raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back('\0');
        raw.append(reinterpret_cast<const char*>(pixels.data()) + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    }
    uLongf packedSize = ::compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (::compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                    static_cast<uLong>(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
        throw std::runtime_error("cannot write " + shown + ": the image does not compress");
    }
    packed.resize(packedSize);

    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string{'\x08', '\x00', '\x00', '\x00', '\x00'}; // 8 bits, grayscale, deflate, filter 0, no interlace

    std::string file = "\x89PNG\r\n\x1a\n";
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + shown + ": the file could not be written");
    }
}

} // namespace bndhost
