// Holds a file open without sharing, as Outlook holds its data files: the Wine fault tests
// start it, wait for its flag file, and end it by creating the release file.
//   file_holder FILE FLAG RELEASE
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (flag != INVALID_HANDLE_VALUE) CloseHandle(flag);
  for (int i = 0; i < 1200 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  CloseHandle(held);
  return 0;
}
