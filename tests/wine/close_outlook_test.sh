#!/usr/bin/env bash
# "Close Outlook before backup" with the real tvo.exe: a sleeping stand-in runs as
# OUTLOOK.EXE; `tvo backup` ends it when autocloseoutlook is on and leaves it running
# when it is off.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

profile='Close Test'

root_win='C:\tarvotest\closeoutlook'
root="$(host_path "$root_win")"
prog="$root/prog"
# Upper case on purpose: process names compare without regard to case.
fake="$root/fake/OUTLOOK.EXE"
up="$(host_path "$(user_profile_win)")"
signature="$up/AppData/Roaming/Microsoft/Signatures/$profile.txt"
sleeper_pid=""

cleanup() {
  if [ -n "$sleeper_pid" ]; then
    kill "$sleeper_pid" 2>/dev/null || true
    wait "$sleeper_pid" 2>/dev/null || true
  fi
  reg_delete_tree "$profiles\\$profile"
  reg_delete_tree "$profiles\\Work"
  reg_delete_tree "$options"
  wine_run regsvr32 /s /u "$stub" >/dev/null 2>&1 || true
  rm -rf "$root"
  rm -f "$signature"
  rmdir "$(dirname "$signature")" "$(dirname "$root")" 2>/dev/null || true
}
trap cleanup EXIT
cleanup

[ -f "$TARVO_BIN/sleeper.exe" ] || fail "sleeper.exe is not built in $TARVO_BIN"
mkdir -p "$prog" "$root/data" "$root/out" "$(dirname "$fake")" "$(dirname "$signature")"
cp "$TARVO_BIN/tvo.exe" "$prog/"
cp "$TARVO_BIN"/*.dll "$prog/" 2>/dev/null || true
cp "$TARVO_BIN/sleeper.exe" "$fake"
wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || fail "regsvr32 $stub"
"${helper[@]}" seed "$root/profiles.reg" "$root_win\\data" "$root_win\\data" "$profile"
reg_import "$root/profiles.reg"
printf 'Anna\r\nClose Test\r\n' >"$signature"

# The stand-in is this script's child. Wine names the process after the program once it
# runs it (before that it is the loader); a zombie counts as ended.
sleeper_alive() {
  local stat comm
  read -r stat comm < <(ps -o stat=,comm= -p "$sleeper_pid" 2>/dev/null) || return 1
  [ "${stat:0:1}" != Z ] && [ "$comm" = OUTLOOK.EXE ]
}

start_sleeper() {
  # Started directly, not through wine_run, so $! is the Wine process itself.
  "$TARVO_WINE" "$fake" </dev/null >/dev/null 2>&1 &
  sleeper_pid=$!
  local i
  for i in $(seq 1 60); do
    if sleeper_alive; then return 0; fi
    sleep 0.5
  done
  fail "the stand-in OUTLOOK.EXE did not start"
}

backup_with() {
  printf '[General]\r\nrunoutlookafterbackup=0\r\nburndvd=0\r\n[backup]\r\nopenfolderbackup=0\r\nautocloseoutlook=%s\r\n' \
    "$1" >"$prog/settings.dat"
  local archive_win="$root_win\\out\\close-$1.tvo"
  wine_run "$prog/tvo.exe" backup "$archive_win" --profile "$profile" --items signatures \
    >"$root/backup-$1.out" 2>&1 || { cat "$root/backup-$1.out"; fail "tvo backup with autocloseoutlook=$1"; }
  [ -f "$(host_path "$archive_win")" ] || { cat "$root/backup-$1.out"; fail "no archive with autocloseoutlook=$1"; }
}

# --- On: the running OUTLOOK.EXE is ended before the backup.
start_sleeper
backup_with 1
for i in $(seq 1 20); do
  sleeper_alive || break
  sleep 0.5
done
if sleeper_alive; then fail "OUTLOOK.EXE still runs after a backup with autocloseoutlook=1"; fi
wait "$sleeper_pid" 2>/dev/null || true
sleeper_pid=""
echo "ok: autocloseoutlook=1 ends OUTLOOK.EXE"

# --- Off: the same process outlives the backup.
start_sleeper
backup_with 0
sleep 2
sleeper_alive || fail "OUTLOOK.EXE was ended although autocloseoutlook=0"
echo "ok: autocloseoutlook=0 leaves OUTLOOK.EXE running"
echo "close outlook: all cases passed"
