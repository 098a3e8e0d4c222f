#include "platform/win32/win32_processes.h"

#include <windows.h>
// after windows.h
#include <tlhelp32.h>
#include <winternl.h>

#include <memory>
#include <vector>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Handle OpenForQuery(std::uint32_t pid, DWORD extra = 0) {
  return Handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | extra, FALSE, pid));
}

// The token's user SID as bytes; empty when it cannot be read.
std::vector<unsigned char> UserSid(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  Handle owner(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  const DWORD length = GetLengthSid(user->User.Sid);
  const auto* bytes = static_cast<const unsigned char*>(user->User.Sid);
  return std::vector<unsigned char>(bytes, bytes + length);
}

using QueryInformation = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

QueryInformation QueryFunction() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return nullptr;
  return reinterpret_cast<QueryInformation>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
}

// ProcessCommandLineInformation (Windows 8.1 and later): the command line without reading
// the other process's memory.
std::string QueriedCommandLine(QueryInformation query, HANDLE process) {
  constexpr ULONG kCommandLineClass = 60;
  // A command line is at most 32,767 characters: the second size always fits.
  for (ULONG room : {ULONG{4096}, ULONG{sizeof(UNICODE_STRING) + 65536 + 16}}) {
    std::vector<unsigned char> buffer(room);
    ULONG size = 0;
    if (query(process, kCommandLineClass, buffer.data(), room, &size) < 0) continue;
    const auto* text = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
    if (!text->Buffer || text->Length == 0) return {};
    return FromWide(std::wstring(text->Buffer, text->Length / sizeof(wchar_t)));
  }
  return {};
}

// Elsewhere (older Windows, Wine) from the process's parameters block, read where both
// programs have the same bitness and so the same layout.
std::string CommandLineFromParameters(QueryInformation query, HANDLE process) {
  BOOL mine = FALSE, theirs = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &mine) || !IsWow64Process(process, &theirs) || mine != theirs) return {};
  PROCESS_BASIC_INFORMATION basic{};
  ULONG size = 0;
  if (query(process, 0, &basic, sizeof basic, &size) < 0 || !basic.PebBaseAddress) return {};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, &read) || !peb.ProcessParameters ||
      !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, &read))
    return {};
  const UNICODE_STRING& line = parameters.CommandLine;
  if (!line.Buffer || line.Length == 0 || line.Length > 65534) return {};
  std::wstring text(line.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, line.Buffer, text.data(), line.Length, &read) || read != line.Length) return {};
  return FromWide(text);
}

struct CloseRequest {
  DWORD pid;
  bool asked;
};

BOOL CALLBACK AskWindow(HWND window, LPARAM param) {
  auto* request = reinterpret_cast<CloseRequest*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  // Only main windows: a visible, unowned top-level window is what the user would close.
  if (owner != request->pid || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  if (PostMessageW(window, WM_CLOSE, 0, 0)) request->asked = true;
  return TRUE;
}

}  // namespace

std::vector<ProcessEntry> Win32Processes::Snapshot() {
  std::vector<ProcessEntry> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry))
    out.push_back(ProcessEntry{entry.th32ProcessID, FromWide(entry.szExeFile)});
  CloseHandle(snap);
  return out;
}

bool Win32Processes::Terminate(std::uint32_t pid, std::uint32_t exitCode) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
  if (!process) return false;
  const bool ended = TerminateProcess(process, exitCode) != 0;
  CloseHandle(process);
  return ended;
}

bool Win32Processes::IsOwn(std::uint32_t pid) {
  DWORD mine = 0, theirs = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &mine) || !ProcessIdToSessionId(pid, &theirs) || mine != theirs)
    return false;
  const Handle other = OpenForQuery(pid);
  if (!other) return false;
  const auto sid = UserSid(other.get());
  return !sid.empty() && sid == UserSid(GetCurrentProcess());
}

std::string Win32Processes::CommandLine(std::uint32_t pid) {
  const Handle process = OpenForQuery(pid, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
  if (!process) return {};
  if (const QueryInformation query = QueryFunction()) {
    std::string line = QueriedCommandLine(query, process.get());
    if (line.empty()) line = CommandLineFromParameters(query, process.get());
    if (!line.empty()) return line;
  }
  // Without the line, the program itself (quoted) still starts it again.
  wchar_t path[MAX_PATH * 4];
  DWORD size = static_cast<DWORD>(std::size(path));
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
  return "\"" + FromWide(std::wstring(path, size)) + "\"";
}

bool Win32Processes::AskToClose(std::uint32_t pid) {
  CloseRequest request{pid, false};
  EnumWindows(AskWindow, reinterpret_cast<LPARAM>(&request));
  return request.asked;
}

bool Win32Processes::Running(std::uint32_t pid) {
  const Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) return false;
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace tarvo
