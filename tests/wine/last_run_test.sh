#!/usr/bin/env bash
# A scheduled backup that fails cannot go unnoticed: the real tarvobk.exe runs unattended
# while the data file is held open (as a running Outlook holds it), and the next
# interactive start says so once, read by ui_driver; a later successful run clears it.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

[ -n "${DISPLAY:-}" ] || fail "no display: run under xvfb-run (scripts/test.sh does)"
curver='HKCR\Outlook.Application\CurVer'
x11='HKCU\Software\Wine\X11 Driver'
app='C:\tarvo-lastrun'
prog="$(host_path "$app")"
mail="$(host_path 'C:\mail')"
up="$(host_path "$(user_profile_win)")"
rules="$up/AppData/Roaming/Microsoft/Outlook/Outlook.RWZ"
locker_pid=
cleanup() {
  [ -z "$locker_pid" ] || { touch "$prog/release"; wait "$locker_pid" 2>/dev/null || true; }
  wine_run reg delete "$x11" /v Managed /f >/dev/null 2>&1 || true
  reg_delete_tree "$profiles"
  reg_delete_tree 'HKCR\Outlook.Application'
  rm -rf "$prog" "$mail"
  rm -f "$rules"
}
cleanup
trap cleanup EXIT

wine_run reg add "$x11" /v Managed /d N /f >/dev/null
reg_import "$TARVO_SOURCE/tests/wine/demo_profile.reg"
wine_run reg add "$curver" /ve /d Outlook.Application.14 /f >/dev/null
mkdir -p "$mail" "$prog/out"
pst="$(test_data pst)"
cp "$pst/sample1-unicode.pst" "$mail/Personal.pst"
cp "$pst/sample2-ansi.pst" "$mail/Archive - 2010.pst"
chmod u+w "$mail"/*.pst
mkdir -p "$(dirname "$rules")"
head -c 2000 /dev/urandom >"$rules"  # the profile's rules, so that a run can succeed whole
cp "$TARVO_BIN/tarvobk.exe" "$prog/"
{
  printf '[General]\r\ncheckbackupfile=1\r\nrunoutlookafterbackup=0\r\nburndvd=0\r\n'
  printf '[backup]\r\nopenfolderbackup=0\r\nautocloseoutlook=0\r\n[autobackup]\r\nautobackupfile=0\r\n'
} >"$prog/settings.dat"
archive="$prog/out/weekly.tvo"
auto_run() { wine_run "$prog/tarvobk.exe" "sf=Outlookxm=100000000ps=bf=$app\\out\\weekly.tvo"; }
start() { wine_bin ui_driver.exe --last-run "$app\\tarvobk.exe" "$@" | tr -d '\r' || fail "ui driver $*"; }
recorded() { tr -d '\r' <"$prog/lastrun.dat" | sed -n "s/^$1=//p"; }

# The data file held open without sharing while the unattended run reads it.
failing_run() {
  rm -f "$prog/ready" "$prog/release"
  wine_bin file_holder.exe 'C:\mail\Personal.pst' "$app\\ready" "$app\\release" &
  locker_pid=$!
  for _ in $(seq 300); do [ -e "$prog/ready" ] && break; sleep 0.1; done
  [ -e "$prog/ready" ] || fail "the locker did not take the data file"
  auto_run || fail "tarvobk.exe (locked data file)"
  touch "$prog/release"
  wait "$locker_pid" || fail "file_holder"
  locker_pid=
  cat "$prog/lastrun.dat" | tr -d '\r'
  [ "$(recorded Result)" = failed ] || fail "lastrun.dat does not record the failure"
  [ -n "$(recorded Reason)" ] || fail "lastrun.dat holds no reason"
}

printf 'last good archive' >"$archive"
failing_run
[ "$(cat "$archive")" = 'last good archive' ] || fail "the failed run replaced the previous archive"
grep -q 'Automatic Backup File .*weekly.tvo could not be written' "$prog/brlog.dat" ||
  fail "the failure is not in the log"
echo "ok: failed unattended run recorded"

start warn 'Fail!'
start quiet 'Fail!'
echo "ok: the failure is told once"

# Failed again, then a successful run before anyone looked: nothing to tell.
failing_run
auto_run || fail "tarvobk.exe"
[ "$(recorded Result)" = ok ] ||
  { tr -d '\r' <"$prog/lastrun.dat"; tail -3 "$prog/brlog.dat"; fail "lastrun.dat does not record the success"; }
7z t "$archive" >/dev/null || fail "7z t refuses the new archive"
start quiet 'Succeeded!'
echo "last run: all cases passed"
