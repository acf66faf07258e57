// The Photoshop document decoder: the flattened composite image of a version-1 file with 8 bits per
// channel in RGB mode, raw or PackBits-compressed, into a 24-bit pixel record. Portable: works on the
// file's bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "pictures/core/DIBImage.h"

namespace kelmor::core {

// How many leading bytes IsPsd needs.
inline constexpr std::size_t kPsdSignatureLength = 4;

// True when the bytes start with the signature "8BPS"; nothing after it is looked at.
bool IsPsd(std::span<const std::uint8_t> head);

// Decodes a whole file into `out` (24 bits per pixel, top row first, rows padded to 4 bytes).
// False when the header is not one this decoder reads (signature, version 1, 0 to 16 channels,
// 8 bits per channel, RGB mode, compression 0 or 1), a size is 0 or too large for the 32-bit
// arithmetic of the record, or the image data is short or overruns its channel. On false, `out`
// may hold partial content. Never raises.
//
// The channels fill the slots red, green, blue, alpha in that order, each slot taking the file's
// next channel while the slot's byte position in a blue-green-red-alpha pixel is below the channel
// count; a slot without a channel is black (alpha opaque), and alpha is dropped.
bool DecodePsd(std::span<const std::uint8_t> file, DIBImage& out);

}  // namespace kelmor::core
