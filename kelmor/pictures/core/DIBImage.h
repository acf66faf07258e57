// The pixel record that the format readers fill and CreatePictureFromDIB turns into a picture,
// and the row arithmetic shared by the readers. Portable: no platform headers.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace kelmor::core {

// Leaves the elements a container adds uninitialised (resize without a value): the decoders write
// every byte of their record, so filling a large record with zeros first would only cost time.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}  // NOLINT: as std::allocator
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0) {
            ::new (static_cast<void*>(p)) U;
        } else {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    }
};

// The pixel bytes of a record.
using PixelBytes = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// Pixel bytes compare with plain byte vectors by their contents.
inline bool operator==(const PixelBytes& a, const std::vector<std::uint8_t>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

struct DIBImage {
    std::int32_t Width = 0;   // pixels per row
    std::int32_t Height = 0;  // rows
    std::int32_t BPP = 0;     // 8 (palette indices) or 24 (blue, green, red bytes)
    // 8 bits per pixel only: the colour table, each entry blue, green, red, 0 (RGBQUAD order) in
    // a little-endian 32-bit value.
    std::array<std::int32_t, 256> Palette{};
    // The pixel rows, top row first, each GetScanlineLength(Width, BPP) bytes long (padding after
    // the pixels); Height rows in all. Resizing leaves new bytes unset: who sizes the record writes
    // every byte, padding included.
    PixelBytes Bits;
};

// Bytes per pixel row, rounded up to a multiple of 4: 8 and 24 bits per pixel only, 0 for any
// other depth. Empty when the length does not fit in a signed 32-bit value (the Windows layer
// raises that as an overflow).
std::optional<std::int32_t> GetScanlineLength(std::int32_t width, std::int32_t bpp);

}  // namespace kelmor::core
