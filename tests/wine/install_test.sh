#!/usr/bin/env bash
# The installer and the portable zip as a user meets them: a silent install into Program
# Files with its Start-menu shortcut and Apps entry; the installed program keeps its data in
# the user's folder and hands Windows its real path (task and Run value, through its own
# windows); the silent uninstall removes what it installed, asks the Task Scheduler to drop
# the task and keeps the user's archives and data; a portable copy keeps its data beside it.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

[ -n "${DISPLAY:-}" ] || fail "no display: run under xvfb-run (scripts/test.sh does)"
dist="$TARVO_BIN/../dist"
setup="$(ls "$dist"/TarvoOutlookBackup-Setup-*.exe 2>/dev/null | head -n 1)"
portable="$(ls "$dist"/TarvoOutlookBackup-*-portable.zip 2>/dev/null | head -n 1)"
[ -f "$setup" ] || fail "no installer in $dist"
[ -f "$portable" ] || fail "no portable zip in $dist"
version="$(basename "$setup" .exe)"
version="${version#TarvoOutlookBackup-Setup-}"

app_win='C:\Program Files\Tarvo Outlook Backup'
app="$(host_path "$app_win")"
apps_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TarvoOutlookBackup'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
event_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Tarvo Outlook Backup'
curver='HKCR\Outlook.Application\CurVer'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarvo Outlook Backup.lnk"
work_win='C:\tarvo-install'
work="$(host_path "$work_win")"
data_win="$(wine_run cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Tarvo Outlook Backup"
data="$(host_path "$data_win")"
# The Task Scheduler tool of the prefix, replaced by the recording stand-in for this test.
system32="$WINEPREFIX/drive_c/windows/system32"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}schtasks.exe=n"

cleanup() {
  [ ! -f "$work/schtasks.orig" ] || cp "$work/schtasks.orig" "$system32/schtasks.exe"
  rm -f "$system32/schtasks.log"
  [ ! -f "$app/uninstall.exe" ] || wine_run "$app_win\\uninstall.exe" /S >/dev/null 2>&1 || true
  wine_run reg delete "$apps_key" /f >/dev/null 2>&1 || true
  reg_delete_tree "$event_key"
  wine_run reg delete "$run_key" /v "Tarvo Outlook Backup" /f >/dev/null 2>&1 || true
  reg_delete_tree "$profiles"
  reg_delete_tree 'HKCR\Outlook.Application'
  rm -rf "$app" "$data" "$work" "$(host_path 'C:\mail')" "$shortcut"
}
cleanup
trap cleanup EXIT

mkdir -p "$work/out"
cp "$system32/schtasks.exe" "$work/schtasks.orig"
cp "$TARVO_BIN/schtasks_recorder.exe" "$system32/schtasks.exe"

# An Outlook 2010 profile with its two data files.
reg_import "$TARVO_SOURCE/tests/wine/demo_profile.reg"
wine_run reg add "$curver" /ve /d Outlook.Application.14 /f >/dev/null
mkdir -p "$(host_path 'C:\mail')"
cp "$(test_data pst/sample1-unicode.pst)" "$(host_path 'C:\mail\Personal.pst')"
cp "$(test_data pst/sample2-ansi.pst)" "$(host_path 'C:\mail\Archive - 2010.pst')"
chmod u+w "$(host_path 'C:\mail')"/*.pst

# Runs tarvobk.exe as the Task Scheduler would, with the command line of a weekly task.
unattended() { # exe_win archive_win
  wine_bin forms_driver.exe launch "\"$1\" sf=Outlookxm=100000000ps=bf=$2" | tr -d '\r' | grep -qx 'exit code 0' ||
    fail "unattended run of $1"
}
apps_value() { reg_query "$apps_key" /v "$1" | tr -d '\r' | awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }

# --- Silent install.
wine_run "$setup" /S || fail "Setup /S"
for f in tarvobk.exe tvo.exe help.chm settings.dat installed.dat uninstall.exe; do
  [ -f "$app/$f" ] || fail "installed folder lacks $f: $(ls "$app" 2>&1)"
done
cmp "$app/settings.dat" "$TARVO_SOURCE/dist/settings.dat" || fail "shipped settings.dat"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
[ "$(apps_value DisplayName)" = "Tarvo Outlook Backup" ] || fail "Apps entry name: $(apps_value DisplayName)"
[ "$(apps_value DisplayVersion)" = "$version" ] || fail "Apps entry version: $(apps_value DisplayVersion)"
[ "$(apps_value Publisher)" = "Tarvo" ] || fail "Apps entry publisher"
[ "$(apps_value UninstallString)" = "\"$app_win\\uninstall.exe\"" ] || fail "uninstall string: $(apps_value UninstallString)"
[ -n "$(apps_value EstimatedSize)" ] || fail "Apps entry has no size"
# The event source: its message table is tarvobk.exe's.
line="$(reg_query "$event_key" /v EventMessageFile | grep 'REG_EXPAND_SZ')" || fail "no event source registered"
[ "$line" = "    EventMessageFile    REG_EXPAND_SZ    $app_win\tarvobk.exe" ] || fail "event message file: $line"
reg_query "$event_key" /v TypesSupported | grep -q 'REG_DWORD    0x7' || fail "event types: $(reg_query "$event_key")"
echo "ok: installed into $app_win with shortcut and Apps entry"

# --- The installed program keeps settings, log and work files in the user's data folder.
unattended "$app_win\\tarvobk.exe" "$work_win\\out\\installed.tvo"
archive="$(ls "$work/out" | grep -E '^installed(-[0-9-]+)?\.tvo$' | head -n 1)" || fail "no archive: $(ls "$work/out")"
7z t "$work/out/$archive" >/dev/null || fail "7z t $archive"
[ -f "$data/brlog.dat" ] || fail "no log in the data folder: $(ls "$data" 2>&1)"
cmp "$data/settings.dat" "$TARVO_SOURCE/dist/settings.dat" || fail "data folder did not start from the shipped settings"
extra="$(ls "$app" | grep -v -x -e tarvobk.exe -e tvo.exe -e help.chm -e settings.dat -e installed.dat -e uninstall.exe || true)"
[ -z "$extra" ] || fail "the program wrote into its own folder: $extra"
[ -z "$(ls "$data" | grep -i -e '^mailvault.dat$' -e '\.tmp$')" ] || fail "work files left: $(ls "$data")"
echo "ok: unattended backup with its data in $data_win"

# --- Its Task Scheduler window and preferences name the installed executable.
wine_bin ui_driver.exe --installed "$app_win\\tarvobk.exe" "$work_win\\out\\weekly.tvo" "$data_win" | tr -d '\r' ||
  fail "ui driver on the installed program"
create="$(grep -F '/create' "$system32/schtasks.log")" || fail "no task created: $(cat "$system32/schtasks.log" 2>&1)"
grep -qF "/tr \"\\\"$app_win\\tarvobk.exe\\\" sf=Outlook" <<<"$create" || fail "task command: $create"
line="$(reg_query "$run_key" /v "Tarvo Outlook Backup" | grep 'REG_SZ')" || fail "no Run value"
[ "$line" = "    Tarvo Outlook Backup    REG_SZ    \"$app_win\\tarvobk.exe\"" ] || fail "Run value: $line"
echo "ok: task and Run value name $app_win\\tarvobk.exe"

# --- Silent uninstall: the program goes, the user's data stays.
wine_run "$app_win\\uninstall.exe" /S || fail "uninstall /S"
for _ in $(seq 60); do
  reg_query "$apps_key" >/dev/null 2>&1 || break
  sleep 1
done
if reg_query "$apps_key" >/dev/null 2>&1; then fail "Apps entry left after uninstall"; fi
[ ! -e "$app" ] || fail "installed folder left: $(ls "$app")"
[ ! -e "$shortcut" ] || fail "Start-menu shortcut left"
if reg_query "$run_key" /v "Tarvo Outlook Backup" >/dev/null 2>&1; then fail "Run value left"; fi
if reg_query "$event_key" >/dev/null 2>&1; then fail "event source left after uninstall"; fi
grep -qF '/delete /f /tn "Tarvo Outlook AutoBackup"' "$system32/schtasks.log" || fail "task not deleted: $(cat "$system32/schtasks.log")"
[ -f "$work/out/$archive" ] && [ -f "$data/settings.dat" ] && [ -f "$data/brlog.dat" ] ||
  fail "uninstall touched the user's archive or data folder"
echo "ok: uninstalled, archive and data folder kept"

# --- The portable copy keeps its data beside itself.
data_before="$(ls -l --time-style=+%s.%N "$data")"
(cd "$work" && unzip -q "$portable") || fail "unzip $portable"
usb="$(ls -d "$work"/TarvoOutlookBackup-*-portable)"
for f in tarvobk.exe tvo.exe help.chm settings.dat readme.txt; do [ -f "$usb/$f" ] || fail "portable zip lacks $f"; done
unattended "$(win_path "$usb")\\tarvobk.exe" "$work_win\\out\\portable.tvo"
ls "$work/out" | grep -qE '^portable(-[0-9-]+)?\.tvo$' || fail "portable run wrote no archive"
[ -f "$usb/brlog.dat" ] && [ -f "$usb/settings.dat" ] || fail "portable copy keeps no log beside itself"
[ "$(ls -l --time-style=+%s.%N "$data")" = "$data_before" ] || fail "portable copy wrote into the per-user data folder"
echo "install, uninstall and portable: all cases passed"
