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

Samples MakeSamples(const RasterSpec& spec, std::uint32_t seed)
{
    const std::uint64_t limit = std::uint64_t{1} << spec.nbits;
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ULL + 1;
    Samples samples(static_cast<std::size_t>(spec.nrows));
    for (auto& row : samples) {
        row.resize(static_cast<std::size_t>(spec.nbands));
        for (auto& band : row) {
            band.resize(static_cast<std::size_t>(spec.ncols));
            for (auto& value : band) {
                state = state * 6364136223846793005ULL + 1442695040888963407ULL;
                value = static_cast<std::uint32_t>((state >> 17) % limit);
            }
        }
    }
    return samples;
}

std::string HeaderText(const RasterSpec& spec)
{
    std::string text = "nrows " + std::to_string(spec.nrows) + "\nncols " + std::to_string(spec.ncols) + "\nnbands " +
                       std::to_string(spec.nbands) + "\nnbits " + std::to_string(spec.nbits) + "\nbyteorder " +
                       spec.byteorder + "\nlayout " + spec.layout + "\nskipbytes " + std::to_string(spec.skipbytes) +
                       "\nbandgapbytes " + std::to_string(spec.bandgapbytes) + "\n";
    const int bandRow = NaturalBytes(spec.ncols, spec.nbits) + spec.bandRowPadding;
    if (spec.bandRowPadding != 0) {
        text += "bandrowbytes " + std::to_string(bandRow) + "\n";
    }
    if (spec.totalRowPadding != 0) {
        const int row =
            spec.layout == "BIP" ? NaturalBytes(1LL * spec.ncols * spec.nbands, spec.nbits) : bandRow * spec.nbands;
        text += "totalrowbytes " + std::to_string(row + spec.totalRowPadding) + "\n";
    }
    return text;
}

std::vector<unsigned char> DataBytes(const RasterSpec& spec, const Samples& samples)
{
    std::vector<unsigned char> out(static_cast<std::size_t>(spec.skipbytes), kFill);
    SampleWriter writer(out, spec.nbits, spec.byteorder);
    const int bandRow = NaturalBytes(spec.ncols, spec.nbits) + spec.bandRowPadding;
    const auto writeBandRow = [&](int row, int band) {
        const std::size_t start = out.size();
        for (const std::uint32_t value : samples[row][band]) {
            writer.Put(value);
        }
        writer.EndRun();
        PadTo(out, start, bandRow);
    };
    if (spec.layout == "BSQ") {
        for (int band = 0; band < spec.nbands; ++band) {
            if (band > 0) {
                out.resize(out.size() + static_cast<std::size_t>(spec.bandgapbytes), kFill);
            }
            for (int row = 0; row < spec.nrows; ++row) {
                writeBandRow(row, band);
            }
        }
        return out;
    }
    for (int row = 0; row < spec.nrows; ++row) {
        const std::size_t start = out.size();
        int rowBytes = 0;
        if (spec.layout == "BIP") {
            for (int column = 0; column < spec.ncols; ++column) {
                for (int band = 0; band < spec.nbands; ++band) {
                    writer.Put(samples[row][band][column]);
                }
            }
            writer.EndRun();
            rowBytes = static_cast<int>(out.size() - start);
        } else {
            for (int band = 0; band < spec.nbands; ++band) {
                writeBandRow(row, band);
            }
            rowBytes = bandRow * spec.nbands;
        }
        PadTo(out, start, rowBytes + spec.totalRowPadding);
    }
    return out;
}

std::vector<unsigned char> LatticeRow(const RasterSpec& spec, const Samples& samples, int row)
{
    const int cell = spec.nbits <= 8 ? 1 : spec.nbits / 8;
    std::vector<unsigned char> out;
    for (int column = 0; column < spec.ncols; ++column) {
        for (int band = 0; band < spec.nbands; ++band) {
            const std::uint32_t value = samples[row][band][column];
            for (int i = 0; i < cell; ++i) {
                out.push_back(static_cast<unsigned char>(value >> (8 * i)));
            }
        }
    }
    return out;
}

} // namespace fennick::test
