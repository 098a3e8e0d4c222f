#!/usr/bin/env bash
# Restore end to end with the real programs and registry: `tvo backup` of an Outlook 2010
# profile "Home" (two data files, rules, accounts, signatures, templates, contacts, options),
# `tvo restore` of every item into the profile "Work", then password, record, tampering and
# path-entry cases.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

pst="$(test_data pst)"

root_win='C:\tarvotest\restore'
root="$(host_path "$root_win")"
prog="$root/prog"
up_win="$(user_profile_win)"
[ -n "$up_win" ] || fail "no user profile folder"
up="$(host_path "$up_win")"
local_win="$up_win\\AppData\\Local\\Microsoft\\Outlook"
local_dir="$up/AppData/Local/Microsoft/Outlook"
roaming="$up/AppData/Roaming/Microsoft"
fav="$up/Application Data/Microsoft/Outlook/Work.FAV"

# Only what this test made goes again.
cleanup() {
  reg_delete_tree "$profiles\\Home"
  reg_delete_tree "$profiles\\Work"
  reg_delete_tree "$options"
  wine_run regsvr32 /s /u "$stub" >/dev/null 2>&1 || true
  rm -rf "$root"
  rm -f "$local_dir/Home Mail.pst" "$local_dir/Archive - 2010.pst" "$roaming/Outlook/Home.RWZ" \
    "$roaming/Outlook/Work.RWZ" "$up/Contacts/Anna Example.contact" "$roaming/Signatures/Home.htm" \
    "$roaming/Signatures/Home.txt" "$roaming/Signatures/Grüße.txt" "$roaming/Templates/Memo.oft" "$fav"
  # Folders go only when this test left them empty.
  for d in "$roaming/Signatures" "$roaming/Templates" "$(dirname "$fav")" "$up/Application Data/Microsoft" \
    "$up/Application Data" "$local_dir" "$roaming/Outlook" "$(dirname "$root")"; do
    rmdir "$d" 2>/dev/null || true
  done
}
trap cleanup EXIT
cleanup

# tvo runs from its own folder, so its log and work files are this test's alone.
mkdir -p "$prog" "$root/home" "$root/work" "$root/archives"
cp "$TARVO_BIN/tvo.exe" "$prog/"
cp "$TARVO_BIN"/*.dll "$prog/" 2>/dev/null || true
printf '[General]\r\nrunoutlookafterrestore=0\r\nrunoutlookafterbackup=0\r\nburndvd=0\r\n[backup]\r\nopenfolderbackup=0\r\n' \
  >"$prog/settings.dat"
tvo() { wine_run "$prog/tvo.exe" "$@"; }

# Outlook 2010, as the word processor answers.
wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || fail "regsvr32 $stub"

# --- The two profiles, their files, and the Outlook options.
"${helper[@]}" seed "$root/profiles.reg" "$root_win\\home" "$root_win\\work"
reg_import "$root/profiles.reg"
cp "$pst/sample1-unicode.pst" "$root/home/Home Mail.pst"
cp "$pst/sample2-ansi.pst" "$root/home/Archive - 2010.pst"
cp "$pst/dist-list.pst" "$root/work/Work Mail.pst"
mkdir -p "$local_dir" "$roaming/Outlook" "$roaming/Signatures" "$roaming/Templates" "$up/Contacts"
head -c 3000 /dev/urandom >"$root/rules.rwz"
cp "$root/rules.rwz" "$roaming/Outlook/Home.RWZ"
printf '<html><body>Anna, Home</body></html>' >"$roaming/Signatures/Home.htm"
printf 'Anna\r\nHome\r\n' >"$roaming/Signatures/Home.txt"
printf 'Viele Grüße, Anna' >"$roaming/Signatures/Grüße.txt"  # a name outside ASCII
head -c 5000 /dev/urandom >"$roaming/Templates/Memo.oft"
printf 'BEGIN:VCARD\r\nFN:Anna Example\r\nEND:VCARD\r\n' >"$up/Contacts/Anna Example.contact"
mkdir -p "$root/originals"
cp "$roaming/Signatures/"* "$roaming/Templates/Memo.oft" "$up/Contacts/Anna Example.contact" "$root/originals/"

reg_query "$profiles\\Home" /s >"$root/home.txt" || fail "Home was not seeded"
reg_query "$options" /s >"$root/options-before.txt" || fail "options were not seeded"

# --- Back up Home with every item, once plain and once with a password.
archive_win="$root_win\\archives\\home.tvo"
archive="$root/archives/home.tvo"
tvo backup "$archive_win" --profile Home --items all --note "before the move" >"$root/backup.out" 2>&1 ||
  { cat "$root/backup.out"; fail "tvo backup"; }
[ -f "$archive" ] || fail "no archive written"
printf 'Secret pass 1\r\n' >"$root/pw.txt"
printf 'wrong\n' >"$root/bad.txt"
tvo backup "$root_win\\archives\\locked.tvo" --profile Home --items datas,signatures \
  --password-file "$root_win\\pw.txt" >"$root/backup2.out" 2>&1 || { cat "$root/backup2.out"; fail "tvo backup with a password"; }

tvo info "$archive_win" >"$root/info.out" 2>&1 || { cat "$root/info.out"; fail "tvo info"; }
grep -q '^Items: config datas rules accounts signatures options templates preferences contacts' <(tr -d '\r' <"$root/info.out") ||
  { cat "$root/info.out"; fail "the archive does not hold every item of Home"; }
tvo verify "$archive_win" >/dev/null 2>&1 || fail "the fresh archive does not verify"
echo "ok: backup of Home"

# --- The machine changes after the backup: the restore has to bring every item back.
rm -f "$roaming/Signatures/Home.htm" "$roaming/Signatures/Home.txt" "$roaming/Signatures/Grüße.txt"
rmdir "$roaming/Signatures" 2>/dev/null || true  # a machine without the folder, unless others use it
head -c 100 /dev/urandom >"$roaming/Templates/Memo.oft"
rm -f "$up/Contacts/Anna Example.contact"
rm -f "$local_dir/Home Mail.pst" "$local_dir/Archive - 2010.pst"
rmdir "$local_dir" 2>/dev/null || true  # Outlook 2010 keeps new data files elsewhere; its local folder may never have been made
printf 'old work rules' >"$roaming/Outlook/Work.RWZ"
mkdir -p "$(dirname "$fav")"
printf 'favourites' >"$fav"
reg_delete_tree "$options\\Calendar"
wine_run reg add "$options\\Junk" /v Stale /d yes /f >/dev/null

log="$prog/brlog.dat"
offset="$(stat -c %s "$log" 2>/dev/null || echo 0)"
tvo restore "$archive_win" --profile Work --items all >"$root/restore.out" 2>"$root/restore.err" ||
  { cat "$root/restore.out" "$root/restore.err"; fail "tvo restore"; }

for f in "Home Mail.pst:sample1-unicode.pst" "Archive - 2010.pst:sample2-ansi.pst"; do
  cmp "$local_dir/${f%%:*}" "$pst/${f#*:}" || fail "data file ${f%%:*} is not the original"
done
cmp "$roaming/Outlook/Work.RWZ" "$root/rules.rwz" || fail "Home.RWZ did not become Work.RWZ"
for f in Home.htm Home.txt Grüße.txt; do cmp "$roaming/Signatures/$f" "$root/originals/$f" || fail "signature $f"; done
cmp "$roaming/Templates/Memo.oft" "$root/originals/Memo.oft" || fail "template"
cmp "$up/Contacts/Anna Example.contact" "$root/originals/Anna Example.contact" || fail "contact"
[ ! -e "$fav" ] || fail "Work.FAV was not deleted"
echo "ok: restored files"

reg_query "$profiles\\Work" /s >"$root/work.txt" || fail "Work is gone"
"${helper[@]}" compare-profile "$root/home.txt" "$profiles\\Home" "$root/work.txt" "$profiles\\Work" "$local_win" ||
  fail "Work does not hold Home's configuration and accounts, repointed"
reg_query "$options" /s >"$root/options-after.txt" || fail "options key gone"
diff <(sed 's/^HKEY.*Options//' "$root/options-before.txt") <(sed 's/^HKEY.*Options//' "$root/options-after.txt") ||
  fail "the options branch is not what the export held"
echo "ok: registry of Work and the options"

"${helper[@]}" log-check "$log" "$offset" Work "$archive_win" "Accounts Settings=Succeeded!" \
  "Signatures=Succeeded!" "Options Settings=Succeeded!" "Templates=Succeeded!" "Preferences=Succeeded!" \
  "Contacts Folder=Succeeded!" "Personal Folders=Succeeded!"
summary=$'tvo: note: The Restore was Completed!\t\t\t\n\nRestore Accounts Settings\tSucceeded!\t\nRestore Signatures\t\tSucceeded!\t\nRestore Options Settings\tSucceeded!\t\nRestore Templates\t\tSucceeded!\t\nRestore Preferences\tSucceeded!\t\nRestore Contacts Folder\tSucceeded!\t\nRestore Personal Folders\tSucceeded!\t\n'
[ "$(tr -d '\r' <"$root/restore.err")" = "${summary%$'\n'}" ] || { cat -A "$root/restore.err"; fail "summary message"; }
echo "ok: log lines and summary"

# --- A protected archive opens only with its password.
locked="$root_win\\archives\\locked.tvo"
tvo verify "$locked" --password-file "$root_win\\pw.txt" >/dev/null 2>&1 || fail "right password refused"
rc=0
tvo verify "$locked" --password-file "$root_win\\bad.txt" >/dev/null 2>"$root/wrong.err" || rc=$?
[ "$rc" = 1 ] || fail "wrong password: exit code $rc"
grep -qx 'tvo: note: Incorect Password or Invalid backup file!' <(tr -d '\r' <"$root/wrong.err") || { cat "$root/wrong.err"; fail "wrong password message"; }
rc=0
tvo verify "$locked" >/dev/null 2>&1 || rc=$?
[ "$rc" != 0 ] || fail "a protected archive verified without a password"
7z t -p'Secret pass 1' "$root/archives/locked.tvo" >/dev/null || fail "7z does not open the protected archive"
cp "$pst/dist-list.pst" "$local_dir/Home Mail.pst"
rc=0
tvo restore "$locked" --profile Work --items datas --password-file "$root_win\\bad.txt" >/dev/null 2>&1 || rc=$?
[ "$rc" != 0 ] || fail "a restore with a wrong password succeeded"
cmp "$local_dir/Home Mail.pst" "$pst/dist-list.pst" || fail "a wrong password changed the data file"
tvo restore "$locked" --profile Work --items datas --password-file "$root_win\\pw.txt" >"$root/l.out" 2>"$root/l.err" ||
  { cat "$root/l.err"; fail "restore of the protected archive"; }
cmp "$local_dir/Home Mail.pst" "$pst/sample1-unicode.pst" || fail "the protected archive restored another data file"
echo "ok: password"

# --- Archives without a valid record are refused.
for flags in 0000100000 none; do
  bad="$root/archives/norecord-$flags.tvo"
  if [ "$flags" = none ]; then "${helper[@]}" no-record "$bad"; else "${helper[@]}" no-record "$bad" "$flags"; fi
  rc=0
  tvo info "$(win_path "$bad")" >/dev/null 2>"$root/norecord.err" || rc=$?
  [ "$rc" = 1 ] || fail "record $flags: exit code $rc"
  grep -qx 'tvo: error: Invalid backup file' <(tr -d '\r' <"$root/norecord.err") || { cat "$root/norecord.err"; fail "record $flags: message"; }
done
echo "ok: invalid records"

# --- A damaged data file entry fails that item and leaves the file in place untouched.
cp "$archive" "$root/archives/tampered.tvo"
"${helper[@]}" tamper "$root/archives/tampered.tvo" "Home Mail.pst"
cp "$pst/dist-list.pst" "$local_dir/Home Mail.pst"
before="$(ls "$local_dir")"  # other tests of the run may keep their own files here
rc=0
tvo restore "$root_win\\archives\\tampered.tvo" --profile Work --items datas >"$root/t.out" 2>"$root/t.err" || rc=$?
[ "$rc" = 1 ] || { cat "$root/t.err"; fail "tampered restore: exit code $rc"; }
grep -q $'Restore Personal Folders\tFail!' <(tr -d '\r' <"$root/t.err") || { cat "$root/t.err"; fail "no Fail! for the data files"; }
cmp "$local_dir/Home Mail.pst" "$pst/dist-list.pst" || fail "the existing data file was changed"
[ "$(ls "$local_dir")" = "$before" ] || fail "work files left in $local_dir: $(ls "$local_dir")"
echo "ok: tampered archive"

# The sound archive replaces that older file of the same name.
tvo restore "$archive_win" --profile Work --items datas >"$root/r2.out" 2>"$root/r2.err" || { cat "$root/r2.err"; fail "datas restore"; }
cmp "$local_dir/Home Mail.pst" "$pst/sample1-unicode.pst" || fail "the older data file was not replaced"
echo "ok: older data file replaced"

# --- Entry names that hold a path write nothing outside the destination.
"${helper[@]}" hostile "$root/archives/hostile.tvo"
rc=0
tvo restore "$root_win\\archives\\hostile.tvo" --profile Work --items signatures >"$root/h.out" 2>"$root/h.err" || rc=$?
[ "$rc" = 1 ] || { cat "$root/h.err"; fail "hostile restore: exit code $rc"; }
grep -q $'Restore Signatures \t\tFail!' <(tr -d '\r' <"$root/h.err") || { cat "$root/h.err"; fail "no Fail! for the signatures"; }
found="$(find "$WINEPREFIX/drive_c" -name 'evil*.txt' 2>/dev/null)"
[ -z "$found" ] || fail "an entry escaped its folder: $found"
echo "restore end to end: all cases passed"
