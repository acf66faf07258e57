// Control ids and the window class of the stream lister's main window, for the window itself
// and for programs that drive it (the GUI tests).
#pragma once

namespace tessel::frmMainControls {

inline constexpr wchar_t kWindowClass[] = L"TesselMainForm";

inline constexpr int kTxtFileName = 1001;
inline constexpr int kLstStreams = 1002;
inline constexpr int kLblCount = 1003;
inline constexpr int kCmdRefresh = 1004;
inline constexpr int kCmdDelete = 1005;
inline constexpr int kCmdEditStream = 1006;

}  // namespace tessel::frmMainControls
