// A stand-in for Outlook in the Wine tests, copied as OUTLOOK.EXE: one main window, and a
// diary the test reads.
//   outlook_standin MODE DIARY     MODE: gentle (closes when asked), stubborn (never does),
//                                  windowless (no window at all)
// Each start writes "started" once its window shows, each WM_CLOSE "closed" or "refused". It ends by itself after
// two minutes so that a failed test leaves nothing running.
#include <windows.h>

#include <string>

namespace {

std::wstring g_mode, g_diary;

void Note(const char* what) {
  HANDLE diary = CreateFileW(g_diary.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, 0, nullptr);
  if (diary == INVALID_HANDLE_VALUE) return;
  const std::string line = std::string(what) + "\r\n";
  DWORD written = 0;
  WriteFile(diary, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(diary);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CLOSE) {
    if (g_mode == L"stubborn") {
      Note("refused");
      return 0;
    }
    Note("closed");
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  g_mode = argv[1];
  g_diary = argv[2];
  SetTimer(nullptr, 0, 120 * 1000, nullptr);
  if (g_mode != L"windowless") {
    WNDCLASSW kind{};
    kind.lpfnWndProc = Proc;
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.lpszClassName = L"TarvoOutlookStandIn";
    RegisterClassW(&kind);
    HWND window = CreateWindowW(kind.lpszClassName, L"Inbox - Outlook", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                nullptr, kind.hInstance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
  }
  // Only now can it be asked to close: the test waits for this line.
  Note("started");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
