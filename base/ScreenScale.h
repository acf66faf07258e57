// The screen's resolution and the twips (1440 per inch) in which window designs give places,
// sizes and font heights.
#pragma once

#include <windows.h>

namespace kelmor {

inline constexpr int kTwipsPerInch = 1440;

// The screen's dots per inch, read once when made; 96 on an axis the screen does not answer.
class ScreenScale {
public:
    ScreenScale();
    // A given resolution (a window's own, on a system that scales per monitor); values that are
    // not positive count as 96.
    ScreenScale(int dpiX, int dpiY) : dpiX_(dpiX > 0 ? dpiX : 96), dpiY_(dpiY > 0 ? dpiY : 96) {}

    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    int PixelsX(int twips) const { return MulDiv(twips, dpiX_, kTwipsPerInch); }
    int PixelsY(int twips) const { return MulDiv(twips, dpiY_, kTwipsPerInch); }
    int TwipsX(int pixels) const { return MulDiv(pixels, kTwipsPerInch, dpiX_); }
    int TwipsY(int pixels) const { return MulDiv(pixels, kTwipsPerInch, dpiY_); }
    // The LOGFONT height (negative: character height) of a font of `centiPoints` hundredths of a
    // point.
    int FontHeight(int centiPoints) const { return -MulDiv(centiPoints, dpiY_, 7200); }

private:
    int dpiX_ = 96;
    int dpiY_ = 96;
};

// Pixels for `twips` on the screen, horizontally or vertically.
inline int TwipsToPixelsX(int twips) { return ScreenScale().PixelsX(twips); }
inline int TwipsToPixelsY(int twips) { return ScreenScale().PixelsY(twips); }

}  // namespace kelmor
