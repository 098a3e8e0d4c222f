#!/usr/bin/env bash
# The preferences dialog and the scheduled-backup window over the real Win32 backends:
# the start-with-Windows value, the three schtasks command lines (caught by a recording
# stand-in found first in the program folder), and the task's command line handed to the
# real tarvobk.exe, which must perform the automatic backup it describes.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

pst="$(test_data pst)"
run_key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
profile='Home Office'

root_win='C:\tarvotest\schedule'
root="$(host_path "$root_win")"
# A program folder with a blank, so the quoting of both command lines is exercised.
prog_win="$root_win\\Tarvo Backup"
prog="$root/Tarvo Backup"
up="$(host_path "$(user_profile_win)")"
rules="$up/AppData/Roaming/Microsoft/Outlook/$profile.RWZ"

cleanup() {
  reg_delete_tree "$profiles\\$profile"
  reg_delete_tree "$profiles\\Work"
  reg_delete_tree "$options"
  wine_run reg delete "$run_key" /v "Tarvo Outlook Backup" /f >/dev/null 2>&1 || true
  wine_run regsvr32 /s /u "$stub" >/dev/null 2>&1 || true
  rm -rf "$root"
  rm -f "$rules"
  rmdir "$(dirname "$rules")" "$(dirname "$root")" 2>/dev/null || true
}
trap cleanup EXIT
cleanup

mkdir -p "$prog" "$root/data" "$root/out" "$(dirname "$rules")"
cp "$TARVO_BIN/tarvobk.exe" "$TARVO_BIN/forms_driver.exe" "$prog/"
cp "$TARVO_BIN"/*.dll "$prog/" 2>/dev/null || true
cp "$TARVO_BIN/schtasks_recorder.exe" "$prog/schtasks.exe"
driver() { wine_run "$prog/forms_driver.exe" "$@"; }
wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || fail "regsvr32 $stub"

"${helper[@]}" seed "$root/profiles.reg" "$root_win\\data" "$root_win\\data" "$profile"
reg_import "$root/profiles.reg"
cp "$pst/sample1-unicode.pst" "$root/data/Home Mail.pst"
cp "$pst/sample2-ansi.pst" "$root/data/Archive - 2010.pst"
head -c 2000 /dev/urandom >"$rules"

# --- Preferences: OK with "Start software on Windws Windows start up" checked, then cleared.
driver settings start >"$root/settings.out" 2>&1 || { cat "$root/settings.out"; fail "settings start"; }
line="$(reg_query "$run_key" /v "Tarvo Outlook Backup" | grep 'REG_SZ')" || fail "no Run value after OK with the box checked"
[ "$line" = "    Tarvo Outlook Backup    REG_SZ    \"$prog_win\\tarvobk.exe\"" ] || fail "Run value: $line"
grep -qx 'startonwindows=1' <(tr -d '\r' <"$prog/settings.dat") || fail "settings.dat lacks startonwindows=1"
driver settings nostart >"$root/settings.out" 2>&1 || { cat "$root/settings.out"; fail "settings nostart"; }
if reg_query "$run_key" /v "Tarvo Outlook Backup" >/dev/null; then fail "Run value left after OK with the box cleared"; fi
grep -qx 'startonwindows=0' <(tr -d '\r' <"$prog/settings.dat") || fail "settings.dat lacks startonwindows=0"
# The dialog saved "Replace to default AutoBackup file", so the task writes the plain path.
grep -qx 'autobackupfile=0' <(tr -d '\r' <"$prog/settings.dat") || fail "settings.dat lacks autobackupfile=0"
echo "ok: start with Windows"

# --- A value that cannot travel in the task's command line starts nothing.
driver task add --profile "$profile" --items 110001000 --password 'a=b' --file "$root_win\\out\\x.tvo" \
  >"$root/refused.out" 2>&1 || { cat "$root/refused.out"; fail "driver"; }
[ ! -e "$prog/schtasks.log" ] || fail "schtasks was started for a refused task: $(cat "$prog/schtasks.log")"
grep -q 'cannot contain' "$root/refused.out" || { cat "$root/refused.out"; fail "no refusal message"; }
echo "ok: refused password with ="

# --- Add the task: exactly three command lines, in order.
archive_win="$root_win\\out\\weekly.tvo"
driver task add --profile "$profile" --items 110001000 --days Mon,Wed,Sun --time 23:30 --password 'pass 1' \
  --file "$archive_win" >"$root/add.out" 2>&1 || { cat "$root/add.out"; fail "driver task add"; }
grep -q 'disabled' "$root/add.out" && { cat "$root/add.out"; fail "an item box of the profile is disabled"; }
grep -qx 'tvo: note: Task Tarvo Outlook AutoBackup has been scheduled.' <(tr -d '\r' <"$root/add.out") ||
  { cat "$root/add.out"; fail "no success message"; }
args=" sf=${profile}xm=110001000ps=pass 1bf=$archive_win"
expected="schtasks /end  /tn \"Tarvo Outlook AutoBackup\"
schtasks /delete /f  /tn \"Tarvo Outlook AutoBackup\"
schtasks /create /sc WEEKLY /d Mon,Wed,Sun /st 23:30:00 /tn \"Tarvo Outlook AutoBackup\" /tr \"\\\"$prog_win\\tarvobk.exe\\\"$args\""
[ "$(cat "$prog/schtasks.log")" = "$expected" ] ||
  fail "schtasks command lines differ:"$'\n'"$(cat "$prog/schtasks.log")"$'\n'"expected:"$'\n'"$expected"
echo "ok: three command lines"

driver task disable >"$root/disable.out" 2>&1 || fail "driver task disable"
[ "$(tail -n 2 "$prog/schtasks.log")" = "$(head -n 2 <<<"$expected")" ] || fail "Disable Task command lines"
grep -qx 'tvo: note: Task Tarvo Outlook AutoBackup has been Delete.' <(tr -d '\r' <"$root/disable.out") ||
  fail "no Delete message"
echo "ok: disable task"

# --- The task's command line, as the scheduler runs it: the /tr text with \" read as ".
tr_text="$(sed -n 3p "$prog/schtasks.log" | sed 's/.* \/tr "\(.*\)"$/\1/; s/\\"/"/g')"
[ "$tr_text" = "\"$prog_win\\tarvobk.exe\"$args" ] || fail "/tr text: $tr_text"
driver launch "$tr_text" >"$root/launch.out" 2>&1 || fail "launch"
grep -qx 'exit code 0' <(tr -d '\r' <"$root/launch.out") || { cat "$root/launch.out"; fail "tarvobk.exe exit code"; }
archive="$root/out/weekly.tvo"
[ -f "$archive" ] || fail "the automatic backup wrote no $archive_win: $(ls "$root/out")"
7z t -p'pass 1' "$archive" >/dev/null || fail "7z t fails on the automatic backup"
if 7z t -p'wrong' "$archive" >/dev/null 2>&1; then fail "the automatic backup opens with a wrong password"; fi
record="$(7z x -so -p'pass 1' "$archive" mailvault.dat | tr -d '\r')"
for want in "BackupIdentity=$profile" "Outlookversion=Outlook 2010" "BackupInformation=Automatic Backup" \
  "BackupDatas=Home Mail.pst;Archive - 2010.pst" "BackupRules=$profile.RWZ" "BackupItem=11110001000"; do
  grep -qxF "$want" <<<"$record" || fail "record lacks $want:"$'\n'"$record"
done
7z x -so -p'pass 1' "$archive" 'Home Mail.pst' | cmp - "$pst/sample1-unicode.pst" || fail "data file in the archive"
[ -z "$(ls "$prog" | grep -i -e '^mailvault.dat$' -e '^OB.*tmp$')" ] || fail "work files left: $(ls "$prog")"
echo "ok: automatic backup from the task's command line"

# With "Auto Backup to a new file" the same command line writes a dated archive beside it.
printf '[autobackup]\r\nautobackupfile=1\r\n' >"$prog/settings.dat"
rm -f "$archive"
driver launch "$tr_text" >"$root/launch.out" 2>&1 || fail "launch"
dated="$(ls "$root/out" | grep -E '^weekly-[0-9]{2}-[0-9]{2}-[0-9]{4}-[0-9]{2}-[0-9]{2}\.tvo$')" ||
  fail "no dated archive: $(ls "$root/out")"
7z t -p'pass 1' "$root/out/$dated" >/dev/null || fail "7z t fails on $dated"

# --- A task whose profile is gone (renamed or deleted) keeps the last backup and says why.
printf '[autobackup]\r\nautobackupfile=0\r\n' >"$prog/settings.dat"
cp "$root/out/$dated" "$archive"
cp "$archive" "$root/before.tvo"
driver launch "\"$prog_win\\tarvobk.exe\" sf=Renamedxm=110001000ps=pass 1bf=$archive_win" >"$root/launch.out" 2>&1 ||
  fail "launch"
cmp "$archive" "$root/before.tvo" || fail "a task for a missing profile changed $archive_win"
tr -d '\r' <"$prog/brlog.dat" | grep -qF "Automatic Backup of profile Renamed was not done: this user has no Outlook profile of that name" ||
  fail "no log line for the missing profile: $(cat "$prog/brlog.dat")"
echo "ok: missing profile keeps the last backup"

# --- Two tasks at once: each archive's record names its own profile and data files; two
# runs onto one archive take turns and leave one complete archive.
cp "$pst/sample2-ansi.pst" "$root/data/Work Mail.pst"
launch_task() { driver launch "\"$prog_win\\tarvobk.exe\" sf=${1}xm=100000000ps=bf=$root_win\\out\\$2" >"$root/$3.out" 2>&1; }
launch_task "$profile" home.tvo a & first=$!
launch_task Work work.tvo b & second=$!
wait "$first" || fail "first launch"
wait "$second" || fail "second launch"
for pair in "home.tvo|$profile|Home Mail.pst;Archive - 2010.pst" "work.tvo|Work|Work Mail.pst"; do
  IFS='|' read -r file who datas <<<"$pair"
  record="$(7z x -so "$root/out/$file" mailvault.dat | tr -d '\r')"
  grep -qxF "BackupIdentity=$who" <<<"$record" || fail "$file record:"$'\n'"$record"
  [ "$(grep -c '^BackupDatas=' <<<"$record")" = 1 ] || fail "$file has not one BackupDatas line:"$'\n'"$record"
  grep -qxF "BackupDatas=$datas" <<<"$record" || fail "$file record:"$'\n'"$record"
done
launch_task "$profile" same.tvo c & first=$!
launch_task Work same.tvo d & second=$!
wait "$first" || fail "first launch onto one archive"
wait "$second" || fail "second launch onto one archive"
7z t "$root/out/same.tvo" >/dev/null || fail "same.tvo is not a sound archive"
record="$(7z x -so "$root/out/same.tvo" mailvault.dat | tr -d '\r')"
[ "$(grep -c '^BackupIdentity=' <<<"$record")" = 1 ] && [ "$(grep -c '^BackupDatas=' <<<"$record")" = 1 ] ||
  fail "same.tvo record mixes two runs:"$'\n'"$record"
[ -z "$(ls "$prog" | grep -i -e '^mailvault.dat$' -e '^OB.*tmp$')" ] || fail "work files left: $(ls "$prog")"
echo "ok: two tasks at once"
echo "schedule and preferences: all cases passed"
