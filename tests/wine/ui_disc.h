#pragma once
// The disc window and the erase window of tarvobk.exe, worked as a user would.
#include <windows.h>

#include <string>

namespace uidisc {

inline constexpr wchar_t kDiscTitle[] = L"Backup Outlook Data to CD/DVD";
inline constexpr wchar_t kEraseTitle[] = L"Erase Re-Writable CD/DVD";

// Waits for the disc window, answering the one notice about drives that cannot be asked.
HWND WaitOpen();
// Opens the disc window from the main window's Tools menu, answering the one notice
// about drives that cannot be asked, if it comes.
HWND OpenFromMenu(HWND main);
// The window as the menu opens it: an empty disc labelled "Outlook Data Backup CD".
void CheckEmptyDisc(HWND disc);
// The window a backup with "burndvd" opened: the archive listed at the top of the disc.
void CheckHandedOver(HWND disc, const std::wstring& archiveName);
void Close(HWND disc);
void CloseWithEscape(HWND disc);
// Composes a disc from a dropped folder and added files, renames and removes some, and
// writes it with verification to the image-file drive under the label "UI Disc".
// source: a folder holding "Mail Tree", "notes.txt" and "extra.txt".
void ComposeAndWrite(HWND disc, const std::wstring& source);
// With the stand-in recorder chosen: a write cancelled, a write completed and a quick
// erase. source holds "big.bin" (large enough to cancel) and "small.txt".
void RecorderRuns(HWND disc, const std::wstring& source);
// Screenshots of the disc window and of the erase window, with the name suffix.
void Screens(HWND main, const std::wstring& suffix);

}  // namespace uidisc
