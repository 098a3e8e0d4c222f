#!/usr/bin/env bash
# "Close Outlook before backup" with the real tvo.exe: a stand-in runs as OUTLOOK.EXE with a
# window. With autocloseoutlook on, `tvo backup` asks it to close and waits; one that will
# not close is ended after the wait; either is started again afterwards with its own
# command line. With the preference off it is left running.
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

# Wine names a process after the program it runs; a zombie counts as ended.
standin_pids() {
  ps -eo pid=,stat=,comm= | awk '$3 == "OUTLOOK.EXE" && substr($2, 1, 1) != "Z" { print $1 }'
}

end_standins() {
  local pid
  for pid in $(standin_pids); do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}

cleanup() {
  end_standins
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

[ -f "$TARVO_BIN/outlook_standin.exe" ] || fail "outlook_standin.exe is not built in $TARVO_BIN"
mkdir -p "$prog" "$root/data" "$root/out" "$(dirname "$fake")" "$(dirname "$signature")"
cp "$TARVO_BIN/tvo.exe" "$prog/"
cp "$TARVO_BIN"/*.dll "$prog/" 2>/dev/null || true
cp "$TARVO_BIN/outlook_standin.exe" "$fake"
wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || fail "regsvr32 $stub"
"${helper[@]}" seed "$root/profiles.reg" "$root_win\\data" "$root_win\\data" "$profile"
reg_import "$root/profiles.reg"
printf 'Anna\r\nClose Test\r\n' >"$signature"

# start_standin MODE: one stand-in, its diary in $root/diary-MODE.txt.
start_standin() {
  diary="$root/diary-$1.txt"
  rm -f "$diary"
  "$TARVO_WINE" "$fake" "$1" "$root_win\\diary-$1.txt" </dev/null >/dev/null 2>&1 &
  local i
  for i in $(seq 1 60); do
    if grep -qs started "$diary" && [ -n "$(standin_pids)" ]; then return 0; fi
    sleep 0.5
  done
  fail "the stand-in OUTLOOK.EXE ($1) did not start"
}

# The diary's lines on one line: "started closed started".
diary_says() { tr -d '\r' <"$diary" | tr '\n' ' ' | sed 's/ $//'; }

backup_with() {
  printf '[General]\r\nrunoutlookafterbackup=0\r\nburndvd=0\r\n[backup]\r\nopenfolderbackup=0\r\nautocloseoutlook=%s\r\ncloseoutlookwait=3\r\n' \
    "$1" >"$prog/settings.dat"
  local archive_win="$root_win\\out\\close-$1-$2.tvo"
  wine_run "$prog/tvo.exe" backup "$archive_win" --profile "$profile" --items signatures \
    >"$root/backup.out" 2>&1 || { cat "$root/backup.out"; fail "tvo backup with autocloseoutlook=$1 ($2)"; }
  [ -f "$(host_path "$archive_win")" ] || { cat "$root/backup.out"; fail "no archive with autocloseoutlook=$1 ($2)"; }
}

# wait_for_diary TEXT: the restarted stand-in writes its line a moment after tvo ends.
wait_for_diary() {
  local i
  for i in $(seq 1 40); do
    [ "$(diary_says)" = "$1" ] && return 0
    sleep 0.5
  done
  fail "the stand-in's diary says '$(diary_says)', not '$1'; log: $(tr -d '\r' <"$prog/brlog.dat" | tail -n 5)"
}

log_has() {
  grep -qF "$1" "$prog/brlog.dat" || fail "the log does not say '$1':"$'\n'"$(tr -d '\r' <"$prog/brlog.dat")"
}

# --- On, an Outlook that closes when asked: closed, never forced, started again as it was.
start_standin gentle
backup_with 1 gentle
wait_for_diary "started closed started"
log_has " Outlook was closed for the backup: OUTLOOK.EXE (process "
if grep -q "ended by force" "$prog/brlog.dat"; then fail "a gently closed Outlook was logged as forced"; fi
end_standins
echo "ok: autocloseoutlook=1 closes OUTLOOK.EXE gently and starts it again"

# --- On, an Outlook that will not close: asked, ended after the wait, started again.
start_standin stubborn
backup_with 1 stubborn
wait_for_diary "started refused started"
log_has " Outlook did not close within 3 seconds and was ended by force: OUTLOOK.EXE (process "
end_standins
echo "ok: autocloseoutlook=1 ends an OUTLOOK.EXE that will not close, after the wait"

# --- Off: the same process outlives the backup and is never asked.
start_standin gentle
before="$(standin_pids)"
backup_with 0 off
sleep 2
[ "$(standin_pids)" = "$before" ] || fail "OUTLOOK.EXE was ended although autocloseoutlook=0"
[ "$(diary_says)" = started ] || fail "OUTLOOK.EXE was asked to close although autocloseoutlook=0: $(diary_says)"
end_standins
echo "ok: autocloseoutlook=0 leaves OUTLOOK.EXE running"
echo "close outlook: all cases passed"
