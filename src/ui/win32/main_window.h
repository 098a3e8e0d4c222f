#pragma once
// The real windows of the program, built over the portable forms.
#include <windows.h>

namespace tarvo {

class FrmMain;
class Win32Ui;

inline constexpr wchar_t kMainWindowClass[] = L"TarvoOutlookBackupMain";

// Shows the main window and runs the message loop until the quit procedure ends it.
int RunMainWindow(FrmMain& form, Win32Ui& ui, int showCommand);
// Registers the modal windows (frmPwd, Frmoption, Frmsettings, frmabout) with the Ui.
void RegisterFormWindows(Win32Ui& ui);
// Registers the disc window (frmMaindvdwrite) and the erase window (frmErase).
void RegisterDiscWindows(Win32Ui& ui);
// The start-up splash: the product title for a moment.
void ShowSplash();

}  // namespace tarvo
