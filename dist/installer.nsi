; The installer of Tarvo Outlook Backup for 64-bit Windows, built by the Windows build:
;   makensis -DVERSION=3.0.0 -DBINDIR=... -DDISTDIR=... -DOUTFILE=... installer.nsi
; It installs per machine; the user's settings, log and archives live elsewhere (the data
; folder under %LOCALAPPDATA%) and are never touched, on upgrade or on uninstall.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include x64.nsh
!include FileFunc.nsh

!define APP "Tarvo Outlook Backup"
!define PUBLISHER "Tarvo"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarvoOutlookBackup"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define TASK "Tarvo Outlook AutoBackup"
; The event source of every run: the message table is in tarvobk.exe.
!define EVENT_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${APP}"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
; An upgrade installs where the earlier version is.
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APP}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarvobk.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${APP} ${VERSION} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${APP}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BINDIR}\tarvobk.exe"
  File "${BINDIR}\tvo.exe"
  File "${BINDIR}\help.chm"
  ; The shipped defaults: a user's first start copies them into the data folder.
  File "${DISTDIR}\settings.dat"
  ; Marks an installed copy, which keeps its data in the user's own folder.
  FileOpen $0 "$INSTDIR\installed.dat" w
  FileWrite $0 "${APP} ${VERSION}$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegExpandStr HKLM "${EVENT_KEY}" "EventMessageFile" "$INSTDIR\tarvobk.exe"
  WriteRegDWORD HKLM "${EVENT_KEY}" "TypesSupported" 7

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\tarvobk.exe" "" "$INSTDIR\tarvobk.exe" 0

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\tarvobk.exe"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  CreateShortcut "$DESKTOP\${APP}.lnk" "$INSTDIR\tarvobk.exe" "" "$INSTDIR\tarvobk.exe" 0
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; Removes exactly what the installer put down; archives and the data folder stay.
Section "Uninstall"
  ; A weekly task would start a program that is gone.
  nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /f /tn "${TASK}"'
  Pop $0
  ; The Run value is the current user's, written by the preferences dialog.
  SetShellVarContext current
  DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
  SetShellVarContext all

  Delete "$INSTDIR\tarvobk.exe"
  Delete "$INSTDIR\tvo.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\settings.dat"
  Delete "$INSTDIR\installed.dat"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$DESKTOP\${APP}.lnk"
  DeleteRegKey HKLM "${UNINST_KEY}"
  DeleteRegKey HKLM "${EVENT_KEY}"
SectionEnd
