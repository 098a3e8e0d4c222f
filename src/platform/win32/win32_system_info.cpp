#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

// GetVersionEx reports 6.2 on Windows 8.1 and later unless the program carries a
// compatibility manifest; ntdll tells the truth (and has it on every NT version).
RTL_OSVERSIONINFOW RealVersion() {
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto proc = reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion"));
    if (proc && reinterpret_cast<RtlGetVersionFn>(proc)(&info) == 0) return info;
  }
  return info;
}

SYSTEMTIME ToSystemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

}  // namespace

std::string Win32SystemInfo::ComputerName() {
  wchar_t buf[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(buf, &size) ? FromWide(std::wstring(buf, size)) : std::string();
}

std::string Win32SystemInfo::UserName() {
  wchar_t buf[257];  // UNLEN + 1
  DWORD size = 257;
  return GetUserNameW(buf, &size) ? FromWide(buf) : std::string();
}

int Win32SystemInfo::WindowsMajor() { return static_cast<int>(RealVersion().dwMajorVersion); }

int Win32SystemInfo::WindowsMinor() { return static_cast<int>(RealVersion().dwMinorVersion); }

std::string Win32SystemInfo::ExpandEnvironment(const std::string& text) {
  const std::wstring in = ToWide(text);
  const DWORD needed = ExpandEnvironmentStringsW(in.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::vector<wchar_t> buf(needed);
  const DWORD written = ExpandEnvironmentStringsW(in.c_str(), buf.data(), needed);
  if (written == 0 || written > needed) return text;
  return FromWide(buf.data());
}

std::string Win32SystemInfo::WindowsFolder() {
  wchar_t buf[MAX_PATH + 1];
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? FromWide(std::wstring(buf, n)) : std::string();
}

std::string Win32SystemInfo::ProgramFolder() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      std::wstring path(buf.data(), n);
      const auto slash = path.rfind(L'\\');
      if (slash == std::wstring::npos) return {};
      // A drive root keeps its backslash ("C:\"), as the folder of "C:\tarvobk.exe".
      return FromWide(path.substr(0, slash == 2 ? 3 : slash));
    }
    buf.resize(buf.size() * 2);  // truncated: a long path
  }
}

LocalTime Win32SystemInfo::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string Win32SystemInfo::GeneralDate(const LocalTime& t) {
  const SYSTEMTIME st = ToSystemTime(t);
  wchar_t date[128];
  wchar_t time[128];
  if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128, nullptr)) return {};
  if (!GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, time, 128)) return FromWide(date);
  return FromWide(date) + " " + FromWide(time);
}

void Win32SystemInfo::Sleep(int milliseconds) { ::Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }

namespace {

// One mark of the user's locale; the default stays when the query fails or is empty.
void LocaleText(LCTYPE type, std::string& mark) {
  wchar_t buf[16] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 16) > 1) mark = FromWide(buf);
}

}  // namespace

LocaleMarks Win32SystemInfo::Locale() {
  LocaleMarks marks;
  LocaleText(LOCALE_STHOUSAND, marks.thousands);
  LocaleText(LOCALE_SDECIMAL, marks.decimal);
  LocaleText(LOCALE_SDATE, marks.date);
  LocaleText(LOCALE_STIME, marks.time);
  LocaleText(LOCALE_S1159, marks.am);
  LocaleText(LOCALE_S2359, marks.pm);
  return marks;
}

LocalTime Win32SystemInfo::LocalTimeOf(std::int64_t secondsUtc) {
  // FILETIME counts 100 ns steps from 1601; 1970 is 11,644,473,600 s later.
  const std::uint64_t ticks = static_cast<std::uint64_t>(secondsUtc + 11644473600LL) * 10000000ULL;
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal{}, local{};
  if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
    return {};
  return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace tarvo
