#include "support/RasterFile.h"

namespace fennick::test {

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
                pending_ = static_cast<unsigned>((pending_ << 1) | ((value >> bit) & 1U));
                if (++pendingBits_ == 8) {
                    out_.push_back(static_cast<unsigned char>(pending_));
                    pending_ = 0;
                    pendingBits_ = 0;
                }
            }
            return;
        }
        const int bytes = nbits_ / 8;
        for (int i = 0; i < bytes; ++i) {
            const int shift = 8 * (bigEndian_ ? bytes - 1 - i : i);
            out_.push_back(static_cast<unsigned char>(value >> shift));
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

int NaturalBytes(long long samples, int nbits)
{
    return static_cast<int>((samples * nbits + 7) / 8);
}

void PadTo(std::vector<unsigned char>& out, std::size_t start, int size)
{
    out.resize(start + static_cast<std::size_t>(size), kFill);
}

} // namespace

Samples MakeSamples(const RasterShape& shape, std::uint32_t seed)
{
    const std::uint64_t limit = std::uint64_t{1} << shape.nbits;
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

std::string HeaderText(const RasterShape& shape)
{
    std::string text = "nrows " + std::to_string(shape.nrows) + "\nncols " + std::to_string(shape.ncols) + "\nnbands " +
                       std::to_string(shape.nbands) + "\nnbits " + std::to_string(shape.nbits) + "\nbyteorder " +
                       shape.byteorder + "\nlayout " + shape.layout + "\nskipbytes " + std::to_string(shape.skipbytes) +
                       "\nbandgapbytes " + std::to_string(shape.bandgapbytes) + "\n";
    const int bandRow = NaturalBytes(shape.ncols, shape.nbits) + shape.bandRowPadding;
    if (shape.bandRowPadding != 0) {
        text += "bandrowbytes " + std::to_string(bandRow) + "\n";
    }
    if (shape.totalRowPadding != 0) {
        const int row = shape.layout == "BIP" ? NaturalBytes(1LL * shape.ncols * shape.nbands, shape.nbits)
                                              : bandRow * shape.nbands;
        text += "totalrowbytes " + std::to_string(row + shape.totalRowPadding) + "\n";
    }
    return text;
}

std::vector<unsigned char> DataBytes(const RasterShape& shape, const Samples& samples)
{
    std::vector<unsigned char> out(static_cast<std::size_t>(shape.skipbytes), kFill);
    SampleWriter writer(out, shape.nbits, shape.byteorder);
    const int bandRow = NaturalBytes(shape.ncols, shape.nbits) + shape.bandRowPadding;
    const auto writeBandRow = [&](int row, int band) {
        const std::size_t start = out.size();
        for (const std::uint32_t value : samples[row][band]) {
            writer.Put(value);
        }
        writer.EndRun();
        PadTo(out, start, bandRow);
    };
    if (shape.layout == "BSQ") {
        for (int band = 0; band < shape.nbands; ++band) {
            if (band > 0) {
                out.resize(out.size() + static_cast<std::size_t>(shape.bandgapbytes), kFill);
            }
            for (int row = 0; row < shape.nrows; ++row) {
                writeBandRow(row, band);
            }
        }
        return out;
    }
    for (int row = 0; row < shape.nrows; ++row) {
        const std::size_t start = out.size();
        int rowBytes = 0;
        if (shape.layout == "BIP") {
            for (int column = 0; column < shape.ncols; ++column) {
                for (int band = 0; band < shape.nbands; ++band) {
                    writer.Put(samples[row][band][column]);
                }
            }
            writer.EndRun();
            rowBytes = static_cast<int>(out.size() - start);
        } else {
            for (int band = 0; band < shape.nbands; ++band) {
                writeBandRow(row, band);
            }
            rowBytes = bandRow * shape.nbands;
        }
        PadTo(out, start, rowBytes + shape.totalRowPadding);
    }
    return out;
}

std::vector<unsigned char> LatticeRow(const RasterShape& shape, const Samples& samples, int row)
{
    const int cell = shape.nbits <= 8 ? 1 : shape.nbits / 8;
    std::vector<unsigned char> out;
    for (int column = 0; column < shape.ncols; ++column) {
        for (int band = 0; band < shape.nbands; ++band) {
            const std::uint32_t value = samples[row][band][column];
            for (int i = 0; i < cell; ++i) {
                out.push_back(static_cast<unsigned char>(value >> (8 * i)));
            }
        }
    }
    return out;
}

} // namespace fennick::test
