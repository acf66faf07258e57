// Resources, icons, windows and pictures.
#include "support.h"

#include <algorithm>

using namespace nksupport;
using namespace nksupport::win;

namespace {

// A resource name or type as the system takes it: "#123" by number, else by name.
class ResourceName {
public:
    explicit ResourceName(BSTR text) : text_(FromBstr(text)) {
        if (const auto number = ResourceNumber(ToU16(text_))) number_ = *number;
    }
    bool valid() const { return !text_.empty() && !HasNul(text_); }
    const wchar_t* get() const { return number_ != 0 ? MAKEINTRESOURCEW(number_) : text_.c_str(); }

private:
    std::wstring text_;
    WORD number_ = 0;
};

// An icon of an icon group in the size the system uses for large or small icons, as a
// picture that owns it.
LONG LoadIconPicture(BSTR name, HINSTANCE module, bool small, IPictureDisp** result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    if (!module) return kBadArgument;
    return Guarded([&]() -> LONG {
        const ResourceName resource(name);
        if (!resource.valid()) return kBadArgument;
        const int width = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
        const int height = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
        UniqueIcon icon(static_cast<HICON>(
            LoadImageW(module, resource.get(), IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
        if (!icon) return LastErrorStatus();
        PICTDESC description = {};
        description.cbSizeofstruct = sizeof(description);
        description.picType = PICTYPE_ICON;
        description.icon.hicon = icon.get();
        const LONG status = MakePicture(description, result);
        if (status == kOk) icon.release();  // the picture owns it now
        return status;
    });
}

// A copy of the window's icon as a picture that owns the copy; no picture when the window
// has none. The window keeps its own icon.
LONG WindowIconPicture(HWND window, bool small, IPictureDisp** result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    if (!window || !IsWindow(window)) return kBadArgument;
    return Guarded([&]() -> LONG {
        auto ask = [&](WPARAM kind) -> HICON {
            DWORD_PTR answer = 0;
            // A hung window must not hang the caller.
            if (!SendMessageTimeoutW(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG, 2000, &answer))
                return nullptr;
            return reinterpret_cast<HICON>(answer);
        };
        HICON icon = small ? ask(ICON_SMALL) : ask(ICON_BIG);
        if (!icon && small) icon = ask(ICON_SMALL2);
        if (!icon)
            icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, small ? GCLP_HICONSM : GCLP_HICON));
        if (!icon) return kOk;

        UniqueIcon copy(CopyIcon(icon));
        if (!copy) return LastErrorStatus();
        PICTDESC description = {};
        description.cbSizeofstruct = sizeof(description);
        description.picType = PICTYPE_ICON;
        description.icon.hicon = copy.get();
        const LONG status = MakePicture(description, result);
        if (status == kOk) copy.release();
        return status;
    });
}

bool IsIcon(HICON icon) {
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

}  // namespace

extern "C" {

// The 8-bit text of a resource of the program, up to its first NUL, read in the ANSI code page.
LONG __stdcall nkLoadResTextA(BSTR name, BSTR type, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        const ResourceName resourceName(name);
        const ResourceName resourceType(type);
        if (!resourceName.valid() || !resourceType.valid()) return kBadArgument;
        const HMODULE program = GetModuleHandleW(nullptr);
        const HRSRC found = FindResourceW(program, resourceName.get(), resourceType.get());
        if (!found) return LastErrorStatus();
        const DWORD size = SizeofResource(program, found);
        const HGLOBAL loaded = LoadResource(program, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return LastErrorStatus();
        std::string_view bytes(static_cast<const char*>(data), size);
        bytes = bytes.substr(0, bytes.find('\0'));
        std::wstring text;
        if (const LONG status = FromCodePage(CP_ACP, bytes, text); status != kOk) return status;
        return PutText(std::wstring_view(text), result);
    });
}

LONG __stdcall nkLoadResIcon(BSTR name, IPictureDisp** result) {
    return LoadIconPicture(name, GetModuleHandleW(nullptr), false, result);
}

LONG __stdcall nkLoadResIconSmall(BSTR name, IPictureDisp** result) {
    return LoadIconPicture(name, GetModuleHandleW(nullptr), true, result);
}

LONG __stdcall nkLoadResIconEx(BSTR name, HINSTANCE module, IPictureDisp** result) {
    return LoadIconPicture(name, module, false, result);
}

LONG __stdcall nkLoadResIconSmallEx(BSTR name, HINSTANCE module, IPictureDisp** result) {
    return LoadIconPicture(name, module, true, result);
}

// Sets both icons of a window; NULL handles remove them. The window does not own the icons:
// the caller keeps them alive while the window shows them.
LONG __stdcall nkSetWindowIconAll(HWND window, HICON largeIcon, HICON smallIcon) {
    if (!window || !IsWindow(window)) return kBadArgument;
    if ((largeIcon && !IsIcon(largeIcon)) || (smallIcon && !IsIcon(smallIcon))) return kBadArgument;
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    return kOk;
}

LONG __stdcall nkGetWindowIcon(HWND window, IPictureDisp** result) {
    return WindowIconPicture(window, false, result);
}

LONG __stdcall nkGetWindowIconSmall(HWND window, IPictureDisp** result) {
    return WindowIconPicture(window, true, result);
}

// Centres a top-level window on the work area of its monitor (a child window in its parent's
// client area), never pushing its top-left corner off that area. True when moved.
LONG __stdcall nkCenterFormEx(HWND window, VARIANT_BOOL* result) {
    if (!result) return kBadArgument;
    *result = VARIANT_FALSE;
    if (!window || !IsWindow(window)) return kBadArgument;
    RECT frame;
    if (!GetWindowRect(window, &frame)) return LastErrorStatus();
    RECT area;
    const HWND parent = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    if (parent) {
        if (!GetClientRect(parent, &area)) return LastErrorStatus();
    } else {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
            return LastErrorStatus();
        area = monitor.rcWork;
    }
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    const LONG x = std::max(area.left, area.left + (area.right - area.left - width) / 2);
    const LONG y = std::max(area.top, area.top + (area.bottom - area.top - height) / 2);
    if (!SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        return LastErrorStatus();
    }
    *result = VARIANT_TRUE;
    return kOk;
}

// A bitmap picture that takes the bitmap over: its handle is the one given, and releasing the
// picture deletes the bitmap.
LONG __stdcall nkGetBitmapFromHandle(HBITMAP bitmap, IPictureDisp** result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP) return kBadArgument;
    return Guarded([&]() -> LONG {
        PICTDESC description = {};
        description.cbSizeofstruct = sizeof(description);
        description.picType = PICTYPE_BITMAP;
        description.bmp.hbitmap = bitmap;
        description.bmp.hpal = nullptr;
        return MakePicture(description, result);
    });
}

}  // extern "C"
