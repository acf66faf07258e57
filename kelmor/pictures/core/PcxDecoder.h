// The PCX decoder: files of one plane of 8-bit palette indices (with the 256-colour palette at the
// end of the file) or of three 8-bit planes (red, green, blue), decoded from memory into a pixel
// record. Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "pictures/core/DIBImage.h"
#include "pictures/core/Decoding.h"

namespace kelmor::core {

// Bytes of the file header; the encoded scan lines follow it.
inline constexpr std::size_t kPcxHeaderSize = 128;
// Bytes a file needs for IsPcx.
inline constexpr std::size_t kPcxSignatureSize = 2;
// The 256-colour palette at the end of a one-plane file: a marker byte, then 256 x red, green, blue.
inline constexpr std::size_t kPcxPaletteSize = 769;
inline constexpr std::uint8_t kPcxPaletteMarker = 12;

// True when the file starts like a PCX file: at least two bytes, the first 10. That is all the
// format offers as a signature, so a file of another format may pass; DecodePcx then refuses it.
bool IsPcx(std::span<const std::uint8_t> head);

// Decodes a whole PCX file into `out`: 8 bits per pixel with the palette for one plane, 24 (blue,
// green, red) for three, rows top first and padded to 4 bytes. Refused: not starting with 10
// (NotThisFormat); other depths or plane counts, scan lines shorter than the width (Unsupported);
// impossible sizes, a missing palette marker, data going on past the picture (Invalid); a header or
// data ending early (Truncated); a picture larger than the data can encode at 63 bytes per two,
// checked before anything is allocated, or memory refused (TooLarge). `out` is then unspecified.
// Never raises. Reuses the capacity `out.Bits` already has.
DecodeResult DecodePcx(std::span<const std::uint8_t> file, DIBImage& out);

}  // namespace kelmor::core
