// A picture file's bytes, read in one go: the decoders work from memory, never call the file
// system per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelmor {

// Reads the file's first `limit` bytes (all of it when it is shorter) into `out`. False when the
// file cannot be opened or read, or is larger than the process can hold.
bool ReadFileBytes(const std::wstring& fileName, std::vector<std::uint8_t>& out, std::size_t limit = SIZE_MAX);

}  // namespace kelmor
