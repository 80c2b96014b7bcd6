#include "RasterWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace rasters {

namespace {

constexpr unsigned char kFill = 0xFF;

// Appends samples most significant bit first; whole-byte samples in the given order.
class SampleWriter {
public:
    SampleWriter(std::vector<unsigned char>& out, int nbits, char byteorder)
        : out_(out), nbits_(nbits), bigEndian_(byteorder == 'M' || byteorder == 'm')
    {
    }

    void Put(std::uint32_t value)
    {
        if (nbits_ < 8) {
            for (int bit = nbits_ - 1; bit >= 0; --bit) {
                pending_ = (pending_ << 1) | ((value >> bit) & 1U);
                if (++pendingBits_ == 8) {
                    out_.push_back(static_cast<unsigned char>(pending_));
                    pending_ = 0;
                    pendingBits_ = 0;
                }
            }
            return;
        }
        const int bytes = nbits_ / 8;
        const std::uint64_t sample = Wide(nbits_, value);
        for (int i = 0; i < bytes; ++i) {
            const int shift = 8 * (bigEndian_ ? bytes - 1 - i : i);
            out_.push_back(static_cast<unsigned char>(sample >> shift));
        }
    }

    // Completes a partly filled byte with one bits.
    void EndRun()
    {
        if (pendingBits_ > 0) {
            const unsigned fill = (1U << (8 - pendingBits_)) - 1U;
            out_.push_back(static_cast<unsigned char>((pending_ << (8 - pendingBits_)) | fill));
            pending_ = 0;
            pendingBits_ = 0;
        }
    }

private:
    std::vector<unsigned char>& out_;
    int nbits_;
    bool bigEndian_;
    unsigned pending_ = 0;
    int pendingBits_ = 0;
};

std::size_t NaturalBytes(long long samples, int nbits)
{
    return static_cast<std::size_t>((samples * nbits + 7) / 8);
}

} // namespace

std::uint64_t Wide(int nbits, std::uint32_t value)
{
    return nbits == 64 ? (std::uint64_t{value} << 32) | static_cast<std::uint32_t>(~value) : value;
}

Samples MakeSamples(const RasterShape& shape, std::uint32_t seed)
{
    const std::uint64_t limit = std::uint64_t{1} << std::min(shape.nbits, 32);
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ULL + 1;
    Samples samples(static_cast<std::size_t>(shape.nrows));
    for (auto& row : samples) {
        row.resize(static_cast<std::size_t>(shape.nbands));
        for (auto& band : row) {
            band.resize(static_cast<std::size_t>(shape.ncols));
            for (auto& value : band) {
                state = state * 6364136223846793005ULL + 1442695040888963407ULL;
                value = static_cast<std::uint32_t>((state >> 17) % limit);
            }
        }
    }
    return samples;
}

SampleFunction Of(const Samples& samples)
{
    return [&samples](int row, int band, int column) {
        return samples[static_cast<std::size_t>(row)][static_cast<std::size_t>(band)][static_cast<std::size_t>(column)];
    };
}

namespace {

std::string KeyValueHeaderText(const RasterShape& shape)
{
    const bool isFloat = shape.pixeltype == "FLOAT";
    const bool isUnsigned = shape.pixeltype == "UNSIGNEDINT";
    const int dataType = shape.nbits == 8    ? 1
                         : shape.nbits == 16 ? (isUnsigned ? 12 : 2)
                         : shape.nbits == 32 ? (isFloat      ? 4
                                                : isUnsigned ? 13
                                                             : 3)
                                             : (isFloat ? 5 : 14);
    std::string interleave = shape.layout;
    std::transform(interleave.begin(), interleave.end(), interleave.begin(),
                   [](char c) { return static_cast<char>(c | 0x20); });
    return "ENVI\nsamples = " + std::to_string(shape.ncols) + "\nlines = " + std::to_string(shape.nrows) +
           "\nbands = " + std::to_string(shape.nbands) + "\nheader offset = " + std::to_string(shape.skipbytes) +
           "\ndata type = " + std::to_string(dataType) + "\ninterleave = " + interleave +
           "\nbyte order = " + (shape.byteorder == 'M' ? "1" : "0") + "\n";
}

} // namespace

std::string HeaderText(const RasterShape& shape, const std::string& comment)
{
    if (shape.keyValue) {
        return KeyValueHeaderText(shape);
    }
    std::string text = comment.empty() ? "" : "# " + comment + "\n";
    text += "nrows " + std::to_string(shape.nrows) + "\nncols " + std::to_string(shape.ncols) + "\nnbands " +
            std::to_string(shape.nbands) + "\nnbits " + std::to_string(shape.nbits) + "\nbyteorder " + shape.byteorder +
            "\nlayout " + shape.layout + "\nskipbytes " + std::to_string(shape.skipbytes) + "\nbandgapbytes " +
            std::to_string(shape.bandgapbytes) + "\n";
    if (!shape.pixeltype.empty()) {
        text += "pixeltype " + shape.pixeltype + "\n";
    }
    const std::size_t bandRow = NaturalBytes(shape.ncols, shape.nbits) + static_cast<std::size_t>(shape.bandRowPadding);
    if (shape.bandRowPadding != 0) {
        text += "bandrowbytes " + std::to_string(bandRow) + "\n";
    }
    if (shape.totalRowPadding != 0) {
        const std::size_t row = shape.layout == "BIP" ? NaturalBytes(1LL * shape.ncols * shape.nbands, shape.nbits)
                                                      : bandRow * static_cast<std::size_t>(shape.nbands);
        text += "totalrowbytes " + std::to_string(row + static_cast<std::size_t>(shape.totalRowPadding)) + "\n";
    }
    return text;
}

void WriteData(const RasterShape& shape, const SampleFunction& samples,
               const std::function<void(const unsigned char*, std::size_t)>& sink)
{
    std::vector<unsigned char> out(static_cast<std::size_t>(shape.skipbytes), kFill); // goes with the first row
    SampleWriter writer(out, shape.nbits, shape.byteorder);
    const std::size_t bandRow = NaturalBytes(shape.ncols, shape.nbits) + static_cast<std::size_t>(shape.bandRowPadding);
    const auto putBandRow = [&](int row, int band) {
        const std::size_t start = out.size();
        for (int column = 0; column < shape.ncols; ++column) {
            writer.Put(samples(row, band, column));
        }
        writer.EndRun();
        out.resize(start + bandRow, kFill);
    };
    const auto flush = [&] {
        sink(out.data(), out.size());
        out.clear();
    };
    if (shape.layout == "BSQ") {
        for (int band = 0; band < shape.nbands; ++band) {
            if (band > 0) {
                out.assign(static_cast<std::size_t>(shape.bandgapbytes), kFill);
            }
            for (int row = 0; row < shape.nrows; ++row) {
                putBandRow(row, band);
                flush();
            }
        }
    } else {
        for (int row = 0; row < shape.nrows; ++row) {
            if (shape.layout == "BIP") {
                for (int column = 0; column < shape.ncols; ++column) {
                    for (int band = 0; band < shape.nbands; ++band) {
                        writer.Put(samples(row, band, column));
                    }
                }
                writer.EndRun();
            } else {
                for (int band = 0; band < shape.nbands; ++band) {
                    putBandRow(row, band);
                }
            }
            out.resize(out.size() + static_cast<std::size_t>(shape.totalRowPadding), kFill);
            flush();
        }
    }
    if (!out.empty()) {
        flush(); // leading bytes of a raster without rows
    }
}

std::vector<unsigned char> DataBytes(const RasterShape& shape, const SampleFunction& samples)
{
    std::vector<unsigned char> bytes;
    WriteData(shape, samples,
              [&](const unsigned char* data, std::size_t size) { bytes.insert(bytes.end(), data, data + size); });
    return bytes;
}

std::vector<unsigned char> DataBytes(const RasterShape& shape, const Samples& samples)
{
    return DataBytes(shape, Of(samples));
}

void WriteRaster(const std::string& dataPath, const RasterShape& shape, const SampleFunction& samples,
                 const std::string& comment)
{
    const auto fail = [](const std::string& path) {
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    };
    const std::string headerPath = dataPath.substr(0, dataPath.rfind('.')) + ".hdr";
    std::ofstream header(headerPath, std::ios::binary);
    header << HeaderText(shape, comment);
    header.close();
    if (!header) {
        fail(headerPath);
    }
    std::ofstream data(dataPath, std::ios::binary);
    WriteData(shape, samples, [&](const unsigned char* bytes, std::size_t size) {
        data.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    });
    data.close();
    if (!data) {
        fail(dataPath);
    }
}

std::vector<unsigned char> LatticeRow(const RasterShape& shape, const Samples& samples, int row)
{
    const int cell = shape.nbits <= 8 ? 1 : shape.nbits / 8;
    const auto wide = [&](std::uint32_t value) { return Wide(shape.nbits, value); };
    std::vector<unsigned char> out;
    for (int column = 0; column < shape.ncols; ++column) {
        for (int band = 0; band < shape.nbands; ++band) {
            const std::uint64_t value = wide(samples[static_cast<std::size_t>(row)][static_cast<std::size_t>(band)]
                                                    [static_cast<std::size_t>(column)]);
            for (int i = 0; i < cell; ++i) {
                out.push_back(static_cast<unsigned char>(value >> (8 * i)));
            }
        }
    }
    return out;
}

} // namespace rasters
