// The Photoshop document decoder: the flattened composite image of a version-1 file with 8 bits per
// channel in RGB mode, raw or PackBits-compressed, into a 24-bit pixel record. Portable: works on the
// file's bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "pictures/core/DIBImage.h"
#include "pictures/core/Decoding.h"

namespace kelmor::core {

// How many leading bytes IsPsd needs.
inline constexpr std::size_t kPsdSignatureLength = 4;
// A file without channels carries no data to bound its size: its black picture is taken up to
// this many pixels a side (more precisely, up to this side squared bytes of 8-bit rows padded to
// 4 bytes), larger is TooLarge.
inline constexpr std::uint32_t kPsdMaxBlackSide = 16384;

// True when the bytes start with the signature "8BPS"; nothing after it is looked at.
bool IsPsd(std::span<const std::uint8_t> head);

// Decodes a whole file into `out` (24 bits per pixel, top row first, rows padded to 4 bytes).
// Refused: not the signature (NotThisFormat); a version other than 1, more than 16 channels, a
// depth other than 8, a mode other than RGB, a compression other than 0 or 1 (Unsupported); a size
// of 0, a section length or a PackBits packet overrunning (Invalid); a header or data ending early
// (Truncated); a picture larger than the 32-bit arithmetic of the record, than raw data hold or
// than PackBits data can encode at 128 pixels per two bytes, checked before anything is allocated
// (TooLarge). On failure, `out` may hold partial content. Never raises.
//
// The channels fill the slots red, green, blue, alpha in that order, each slot taking the file's
// next channel while the slot's byte position in a blue-green-red-alpha pixel is below the channel
// count; a slot without a channel is black (alpha opaque), and alpha is dropped. A file without
// channels gives its black picture as 8-bit indices over an all-black palette.
DecodeResult DecodePsd(std::span<const std::uint8_t> file, DIBImage& out);

}  // namespace kelmor::core
