// Turning one fuzz input into a set of files beside each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fennick::fuzz {

// The parts of `input` between separator lines "\n===\n".
std::vector<std::string_view> SplitParts(const std::uint8_t* data, std::size_t size);

// A folder of this process's own (in /dev/shm when it exists), made once.
const std::string& Folder();

// Writes `content` to `name` in Folder(), or removes the file when `present` is false.
void Place(const std::string& name, std::string_view content, bool present = true);

} // namespace fennick::fuzz
