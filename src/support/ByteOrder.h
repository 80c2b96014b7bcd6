// Reversing the bytes of 16-, 32- and 64-bit values, in plain C++ that compilers
// turn into their byte-swap instruction.
#pragma once

#include <cstdint>

namespace fennick {

constexpr std::uint16_t SwapBytes(std::uint16_t value)
{
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

constexpr std::uint32_t SwapBytes(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xff00U) | ((value << 8) & 0xff0000U) | (value << 24);
}

constexpr std::uint64_t SwapBytes(std::uint64_t value)
{
    return (std::uint64_t{SwapBytes(static_cast<std::uint32_t>(value))} << 32) |
           SwapBytes(static_cast<std::uint32_t>(value >> 32));
}

} // namespace fennick
