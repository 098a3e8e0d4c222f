#!/usr/bin/env bash
# Every automatic run reports one event to the Application log: the real tarvobk.exe runs
# unattended (a run that succeeds, one with a failed item, one whose profile is gone, one
# whose data file another program holds) and Wine's ReportEventW traces show each event's
# type, ID and words, and never the password.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

curver='HKCR\Outlook.Application\CurVer'
app='C:\tarvo-events'
prog="$(host_path "$app")"
mail="$(host_path 'C:\mail')"
up="$(host_path "$(user_profile_win)")"
rules="$up/AppData/Roaming/Microsoft/Outlook/Outlook.RWZ"
locker_pid=
cleanup() {
  [ -z "$locker_pid" ] || { touch "$prog/release"; wait "$locker_pid" 2>/dev/null || true; }
  reg_delete_tree "$profiles"
  reg_delete_tree 'HKCR\Outlook.Application'
  rm -rf "$prog" "$mail"
  rm -f "$rules"
}
cleanup
trap cleanup EXIT

reg_import "$TARVO_SOURCE/tests/wine/demo_profile.reg"
wine_run reg add "$curver" /ve /d Outlook.Application.14 /f >/dev/null
# A second profile without accounts: its accounts item fails, the rest is backed up.
wine_run reg add "$profiles\\NoAccounts\\0a0d020000000000c000000000000046" /v 001e0360 /d x /f >/dev/null
mkdir -p "$mail" "$prog/out"
pst="$(test_data pst)"
cp "$pst/sample1-unicode.pst" "$mail/Personal.pst"
cp "$pst/sample2-ansi.pst" "$mail/Archive - 2010.pst"
chmod u+w "$mail"/*.pst
mkdir -p "$(dirname "$rules")"
head -c 2000 /dev/urandom >"$rules"
cp "$TARVO_BIN/tarvobk.exe" "$prog/"
printf '[General]\r\ncheckbackupfile=1\r\n[autobackup]\r\nautobackupfile=0\r\n' >"$prog/settings.dat"

# auto_run PROFILE MASK PASSWORD: the unattended run's event log calls, one line each.
auto_run() {
  WINEDEBUG='fixme+advapi,+eventlog' wine_run "$prog/tarvobk.exe" "sf=$1xm=$2ps=$3bf=$app\\out\\weekly.tvo" \
    2>"$prog/trace" >/dev/null || fail "tarvobk.exe sf=$1"
  grep -a -e 'ReportEventW' -e ':eventlog:' "$prog/trace" | tr -d '\r' || true
}
# expect TRACE TYPE ID WORDS...: exactly one event of that type (ReportEvent's hex) and ID.
expect() {
  local trace="$1" type="$2" id="$3" calls
  shift 3
  calls="$(grep -c 'advapi:ReportEventW' <<<"$trace" || true)"
  [ "$calls" = 1 ] || fail "$calls events instead of one: $trace"
  grep -q "ReportEventW ([^,]*,$type,0x0000,$id," <<<"$trace" || fail "not type $type ID $id: $trace"
  local words
  for words in "$@"; do grep -qF "$words" <<<"$trace" || fail "no \"$words\" in: $trace"; done
  if grep -qF 's3cretPw' <<<"$trace"; then fail "the password reached the event log: $trace"; fi
}

trace="$(auto_run Outlook 100000000 s3cretPw)"
expect "$trace" 0x0004 0x000003e8 'Automatic backup succeeded.' 'Profile: Outlook' 'weekly.tvo' \
  'Items backed up: 1, failed: 0'
echo "ok: a successful run reports 1000 (information)"

trace="$(auto_run NoAccounts 010000000 s3cretPw)"
expect "$trace" 0x0002 0x000003e9 'some items failed' 'Profile: NoAccounts' 'failed: 1' 'Accounts Settings'
echo "ok: a run with a failed item reports 1001 (warning)"

trace="$(auto_run Renamed 100000000 s3cretPw)"
expect "$trace" 0x0001 0x000003ec 'profile does not exist' 'Profile: Renamed' 'no Outlook profile named Renamed'
echo "ok: a run whose profile is missing reports 1004 (error)"

# The data file held open without sharing, as a running Outlook holds it.
rm -f "$prog/ready" "$prog/release"
wine_bin file_holder.exe 'C:\mail\Personal.pst' "$app\\ready" "$app\\release" &
locker_pid=$!
for _ in $(seq 300); do [ -e "$prog/ready" ] && break; sleep 0.1; done
[ -e "$prog/ready" ] || fail "the locker did not take the data file"
trace="$(auto_run Outlook 100000000 s3cretPw)"
touch "$prog/release"
wait "$locker_pid" || fail "file_holder"
locker_pid=
expect "$trace" 0x0001 0x000003ed 'held by another program' 'Personal.pst'
echo "ok: a run that could not read a held data file reports 1005 (error)"
echo "event log: all cases passed"
