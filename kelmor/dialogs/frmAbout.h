// The about box's window: a coloured strip with the program's icon on the left, four stacked
// tab pages on the right (program data, description, loaded modules, system information), an
// OK button and a button that starts the system-information program.
//
// The pages are forms-layer frames switched by an nvkTabControl whose TabShown event the window
// handles: clicking the icon or pressing Page Down shows the next page, Page Up the previous one
// (the window sees keys before its controls). Pages without content are left out.
//
// The object follows the form's life: Load creates the window hidden (the load handler centres
// it and hooks the description box), the setters fill it, ShowModal shows it and returns when
// it closes, Unload runs the unload handler and destroys the window. Positions are twips (1440
// per inch) converted with the screen's DPI.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <array>
#include <memory>
#include <string>

#include "ImageView.h"
#include "Kelmor0200.h"
#include "ModalDialog.h"
#include "Owners.h"

namespace kelmor {

class CTextBoxInsertHook;
class FrameControl;
class TabShownSink;

class frmAbout final : public ModalDialog {
public:
    frmAbout();
    ~frmAbout() override;

    // Control ids, for whoever drives the window.
    static constexpr int kOkId = IDOK;  // cmdOK; Escape (IDCANCEL) presses it too
    static constexpr int kSysInfoId = 360;
    static constexpr int kIconId = 301;                     // imgIcon
    static constexpr int kTabId[4] = {310, 311, 312, 313};  // fraTab(0 .. 3)
    static constexpr int kTitleId = 320;
    static constexpr int kVersionCaptionId = 321;
    static constexpr int kVersionId = 322;
    static constexpr int kAuthorCaptionId = 323;
    static constexpr int kAuthorId = 324;
    static constexpr int kEMailCaptionId = 325;
    static constexpr int kEMailId = 326;
    static constexpr int kDevoteId = 327;
    static constexpr int kPictureId = 328;  // imgOsvel
    static constexpr int kDescriptionId = 330;
    static constexpr int kModulesId = 340;
    static constexpr int kSystemInfoBackId = 350;
    static constexpr int kSystemInfoId[7] = {351, 352, 353, 354, 355, 356, 357};
    static constexpr int kEdgeId[2] = {358, 359};  // linEdge(2), linEdge(3)

    // Creates the window and its controls, hidden, and runs the load handler.
    HRESULT Load();
    // Runs the unload handler and destroys the window.
    void Unload();

    HRESULT SetCaption(const std::wstring& text);
    HRESULT SetTitle(const std::wstring& text);
    HRESULT SetAuthor(const std::wstring& text);
    HRESULT SetVersionText(const std::wstring& text);
    HRESULT SetDevote(const std::wstring& text);
    HRESULT SetDescription(const std::wstring& text);
    // No e-mail row: both of its labels hidden, the dedication line moved up into its place.
    HRESULT HideEMailRow();
    // The address, underlined, with the library's pointer over it; a click writes to it.
    HRESULT SetEMail(const std::wstring& address);
    // The window icon (none: the window's icons are removed). The window keeps the picture.
    HRESULT SetFormIcon(IPictureDisp* picture);
    HRESULT SetIconPicture(IPictureDisp* picture);
    HRESULT SetPictureToolTip(const std::wstring& text);
    // The dedication picture: hidden for a picture without an image (handle 0 or type below 1);
    // otherwise shown at its own size in the bottom-right corner of page 0, in front.
    HRESULT SetDedicationPicture(IPictureDisp* picture);

    // Fills the module list and the system information and builds the tab set; stops at the
    // first step that fails.
    HRESULT InitTabs();
    // Starts the system-information program, or tells the user it is unavailable.
    void StartSysInfo();

    // Shows the window modally, without an owner: the thread's other windows are disabled and
    // messages are handled here until the window closes.
    HRESULT ShowModal();

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreviewMessage(const MSG& msg) override;
    HRESULT OnInit();
    void OnLoad();
    void OnPaint();
    void OnCommand(int id, int code);
    void OnTabShown();
    void OnEMailClick();
    HRESULT FillModuleList();
    HRESULT FillSystemInfo();
    HRESULT BuildTabs();
    HRESULT LaunchSysInfo();

    void CreateControls();
    // Where the window keeps the handle of control `id`; none for a control it never uses again.
    HWND* KeptHandle(int id);
    // The image view of control `id`; none for a control that is not one.
    ImageView* View(int id);
    HRESULT AutoSize(HWND label);
    HRESULT SetLabel(HWND label, const std::wstring& text, bool autoSize);
    RECT PixelRect(int left, int top, int width, int height) const;

    HWND title_ = nullptr, version_ = nullptr, author_ = nullptr, emailCaption_ = nullptr, email_ = nullptr,
         devote_ = nullptr, description_ = nullptr, modules_ = nullptr, ok_ = nullptr;
    std::array<HWND, 7> systemInfo_{};
    std::array<HWND, 2> edges_{};  // linEdge(2), linEdge(3): etched separator of page 3
    ImageView icon_;
    ImageView picture_;
    std::array<Microsoft::WRL::ComPtr<FrameControl>, 4> tabs_;
    Microsoft::WRL::ComPtr<IDispatch> descriptionBox_;  // forms text box over txtDescription
    Microsoft::WRL::ComPtr<CTextBoxInsertHook> hook_;
    Microsoft::WRL::ComPtr<_nvkTabControl> tc_;
    Microsoft::WRL::ComPtr<TabShownSink> tabSink_;
    Microsoft::WRL::ComPtr<IPictureDisp> formIcon_;
    Microsoft::WRL::ComPtr<IPictureDisp> iconPicture_;
    Microsoft::WRL::ComPtr<IPictureDisp> dedicationPicture_;
    HCURSOR emailCursor_ = nullptr;
    // The window's fonts, in the order of the font designs in frmAbout.cpp; all but the e-mail
    // font are made with the controls, that one when an address is set. Freed after the window.
    std::array<UniqueFont, 6> fonts_;
};

}  // namespace kelmor
