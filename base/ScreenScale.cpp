#include "ScreenScale.h"

namespace kelmor {

ScreenScale::ScreenScale() {
    if (HDC screen = GetDC(nullptr)) {
        const int x = GetDeviceCaps(screen, LOGPIXELSX);
        const int y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        if (x > 0) dpiX_ = x;
        if (y > 0) dpiY_ = y;
    }
}

}  // namespace kelmor
