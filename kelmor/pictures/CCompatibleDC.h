// A memory device context compatible with the screen, which remembers the bitmap it held before
// its last selection so that it can put that bitmap back.
#pragma once

#include <windows.h>

#include <memory>

#include "Owners.h"

namespace kelmor {

class CCompatibleDC {
public:
    // A new memory context; error 51 when the system gives none.
    static HRESULT Create(std::unique_ptr<CCompatibleDC>* dc);
    // Puts the remembered bitmap back (SelectBitmap(0)) and deletes the context.
    ~CCompatibleDC();
    CCompatibleDC(const CCompatibleDC&) = delete;
    CCompatibleDC& operator=(const CCompatibleDC&) = delete;

    HDC hDC() const { return dc_; }
    // The bitmap that the last selection replaced (0 when none is remembered).
    HBITMAP PreviousBitmap() const { return previous_; }

    // A bitmap of the given size in the format of the bitmap now selected into the context;
    // error 51 when the system gives none.
    HRESULT CreateCompatibleBitmap(LONG width, LONG height, UniqueBitmap* bitmap);

    // A non-zero bitmap: puts the remembered bitmap back, selects `bitmap` and remembers the one
    // it replaced; error 51 when the selection fails. Zero: puts the remembered bitmap back and
    // forgets it, or does nothing when none is remembered.
    HRESULT SelectBitmap(HBITMAP bitmap);

    // Copies a rectangle of this context to `destination`; error 51 when the copy fails.
    HRESULT BitBlt(HDC destination, LONG destX, LONG destY, LONG width, LONG height, LONG srcX, LONG srcY,
                   DWORD rasterOperation);

private:
    explicit CCompatibleDC(HDC dc) : dc_(dc) {}

    HDC dc_ = nullptr;
    HBITMAP previous_ = nullptr;
};

}  // namespace kelmor
