#include "BandStatistics.h"

#include <charconv>
#include <limits>
#include <string_view>

namespace bndhost {

Nodata Nodata::Of(const std::optional<std::string>& text)
{
    Nodata nodata;
    if (!text) {
        return nodata;
    }
    const std::string_view number = text->starts_with('+') ? std::string_view(*text).substr(1) : *text;
    const char* end = number.data() + number.size();
    std::int64_t whole = 0;
    if (const auto [at, error] = std::from_chars(number.data(), end, whole); error == std::errc() && at == end) {
        nodata.whole = whole;
    }
    double real = 0.0;
    if (const auto [at, error] = std::from_chars(number.data(), end, real); error == std::errc()) {
        nodata.real = real;
        // "-9999.0" is a whole number too.
        if (!nodata.whole && std::trunc(real) == real && std::fabs(real) < 0x1p63) {
            nodata.whole = static_cast<std::int64_t>(real);
        }
    }
    return nodata;
}

void BandStatistics::Begin(const orvo::TrLattice& lattice, const Nodata& nodata)
{
    bands_.assign(static_cast<std::size_t>(lattice.components), Band{});
    const int type = lattice.elementType;
    whole_ = type != tamsel::CPrimType::Float32 && type != tamsel::CPrimType::Float64;
    wholeNodata_ = whole_ ? nodata.whole : std::nullopt;
    nodata_ = whole_ ? std::nullopt : nodata.real;
    // A float lattice's samples are compared with the float the value rounds
    // to ("-3.4028235e+38" is the lowest float); a value that rounds to
    // infinity matches no sample, and is never cast.
    constexpr double roundsToInfinity = 0x1.ffffffp127; // the largest float plus half its last unit
    constexpr float largest = std::numeric_limits<float>::max();
    if (nodata_ && type == tamsel::CPrimType::Float32 && std::fabs(*nodata_) < roundsToInfinity) {
        nodata_ = std::fabs(*nodata_) >= largest ? std::copysign(largest, *nodata_)
                                                 : static_cast<double>(static_cast<float>(*nodata_));
    }
}

void BandStatistics::Add(const orvo::TrLatticeScan& scan)
{
    ForEachValue(scan, [&](std::size_t /*column*/, std::size_t band, auto sample) {
        Band& b = bands_[band];
        if constexpr (std::is_integral_v<decltype(sample)>) {
            if (IsMissing(sample)) {
                ++b.nodata;
            } else {
                b.AddWhole(static_cast<std::int64_t>(sample));
            }
        } else if (std::isnan(sample)) {
            ++b.nan;
        } else if (IsMissing(sample)) {
            ++b.nodata;
        } else {
            b.Add(static_cast<double>(sample));
        }
    });
}

} // namespace bndhost
