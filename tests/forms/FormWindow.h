// A form of the forms layer: a top-level window with its controls, as far as the library and
// the programs call it (hWnd, Name, Enabled, SetFocus, Show modal or not, Hide).
//
// The form keeps the default-button role of its command buttons (DM_GETDEFID / DM_SETDEFID, the
// way a dialog does), so Enter pressed in any control of a shown form presses that button.
// Positions and sizes are given in twips (1440 per inch) and converted with the screen's DPI;
// the controls use Tahoma 8 pt with the Cyrillic character set.
#pragma once

#include <wrl/client.h>

#include <string>
#include <vector>

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class TextBoxControl;
class CommandButtonControl;

class FormWindow final : public DispatchObject<_Form> {
public:
    // A new hidden form (one reference held by the caller), or nullptr when the window cannot be
    // made. Sizes in twips.
    static FormWindow* New(const std::wstring& name, const std::wstring& caption, int widthTwips, int heightTwips);

    // New controls on the form (one reference held by the caller; the form keeps one too);
    // nullptr on failure. Positions and sizes in twips; controls take the tab order of creation.
    TextBoxControl* AddTextBox(int left, int top, int width, int height);
    CommandButtonControl* AddCommandButton(const std::wstring& caption, int left, int top, int width, int height);

    HWND Handle() const { return hwnd_; }

    HRESULT STDMETHODCALLTYPE get_hWnd(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE SetFocus() override;
    // Modal (1, vbModal): shows the form and returns when it is hidden (Hide, the close box,
    // Escape), with the thread's other windows disabled meanwhile. Otherwise only shows it.
    HRESULT STDMETHODCALLTYPE Show(VARIANT Modal) override;
    HRESULT STDMETHODCALLTYPE Hide() override;

private:
    friend class DispatchObject<_Form>;
    FormWindow() = default;
    ~FormWindow() override;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND AddControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, DWORD exStyle, int left, int top,
                    int width, int height);

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    std::wstring name_;
    int nextId_ = 100;
    UINT defaultId_ = 0;       // the default button's id; 0: none
    HWND lastFocus_ = nullptr;  // the control focused when the form was last deactivated
    bool modal_ = false;
    bool hideRequested_ = false;  // Hide or the close box during a modal show
    std::vector<Microsoft::WRL::ComPtr<IDispatch>> controls_;
};

}  // namespace kelmor
