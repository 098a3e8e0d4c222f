#!/usr/bin/env bash
# Unattended backup end to end with the real tarvobk.exe: a seeded Outlook 2010 profile
# "E2E" with every item, backed up once plain (fixed name) and once with a password
# (dated name), then checked with 7-Zip: the archive, its entries, the record lines, the
# data file's bytes, and a wrong password refused. Then what a backup does not protect: an
# OST, a PST that no profile uses and the new Outlook's switch, noted in the record and
# shown by `tvo info` and `tvo backup`.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

shared_tools='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools'
pst="$(test_data pst/sample1-unicode.pst)"
[ -f "$pst" ] || fail "no test data file $pst"

root_win='C:\tarvotest\e2e'
root="$(host_path "$root_win")"
prog="$root/prog"
up_win="$(user_profile_win)"
[ -n "$up_win" ] || fail "no user profile folder"
up="$(host_path "$up_win")"
roaming="$up/AppData/Roaming/Microsoft"
old_shared="$(reg_query "$shared_tools" /v SharedFilesDir 2>/dev/null | awk -F'REG_SZ    ' '/SharedFilesDir/ { print $2 }' || true)"

local_dir="$up/AppData/Local/Microsoft/Outlook"
new_outlook='HKEY_CURRENT_USER\Software\Microsoft\Office\16.0\Outlook\Preferences'
mine=("$local_dir/E2E Notes.ost" "$local_dir/E2E Old Archive.pst" "$roaming/Signatures/E2E.htm" "$roaming/Signatures/E2E.txt" "$roaming/Templates/E2E Memo.oft"
  "$roaming/Outlook/E2E.RWZ" "$roaming/Outlook/outcmd.dat" "$up/Contacts/E2E Anna.contact")
cleanup() {
  reg_delete_tree "$profiles\\E2E"
  reg_delete_tree "$profiles\\E2ENotes"
  wine_run reg delete "$new_outlook" /v UseNewOutlook /f >/dev/null 2>&1 || true
  reg_delete_tree "$options"
  if [ -n "$old_shared" ]; then
    wine_run reg add "$shared_tools" /v SharedFilesDir /d "$old_shared" /f >/dev/null 2>&1 || true
  else
    wine_run reg delete "$shared_tools" /v SharedFilesDir /f >/dev/null 2>&1 || true
  fi
  wine_run regsvr32 /s /u "$stub" >/dev/null 2>&1 || true
  [ -z "${TARVO_X86:-}" ] || wine_run reg delete "$shared_tools" /v SharedFilesDir /f /reg:32 >/dev/null 2>&1 || true
  rm -rf "$root"
  rm -f "${mine[@]}"
  rmdir "$roaming/Signatures" "$roaming/Templates" "$up/Contacts" "$local_dir" 2>/dev/null || true
}
trap cleanup EXIT
cleanup

# --- The profile: two data files, an address book stored with doubled backslashes, one
# account; the Outlook options; Outlook 2010 as the word processor answers.
mkdir -p "$prog" "$root/mail" "$root/out" "$root/shared/Stationery" "$roaming/Signatures" "$roaming/Templates" \
  "$roaming/Outlook" "$up/Contacts"
cp "$TARVO_BIN/tarvobk.exe" "$prog/"
python3 "$TARVO_SOURCE/tests/wine/backup_e2e_seed.py" "$root/profile.reg" "$root_win"
reg_import "$root/profile.reg"
# A 32-bit tarvobk.exe reads the 32-bit view of HKLM\SOFTWARE, where a 32-bit Office keeps it.
if [ -n "${TARVO_X86:-}" ]; then
  wine_run reg add "$shared_tools" /v SharedFilesDir /d "$root_win\\shared\\" /f /reg:32 >/dev/null ||
    fail "SharedFilesDir in the 32-bit view"
fi
wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || fail "regsvr32 $stub"

cp "$pst" "$root/mail/E2E Mail.pst"
head -c 200000 /dev/urandom >"$root/mail/Archive.pst"
head -c 3000 /dev/urandom >"$root/mail/E2E.pab"
head -c 3000 /dev/urandom >"$roaming/Outlook/E2E.RWZ"
printf 'commands' >"$roaming/Outlook/outcmd.dat"
printf '<html><body>E2E</body></html>' >"$roaming/Signatures/E2E.htm"
printf 'E2E\r\n' >"$roaming/Signatures/E2E.txt"
printf '<html>paper</html>' >"$root/shared/Stationery/Paper.htm"
head -c 5000 /dev/urandom >"$roaming/Templates/E2E Memo.oft"
printf 'BEGIN:VCARD\r\nFN:Anna\r\nEND:VCARD\r\n' >"$up/Contacts/E2E Anna.contact"

# --- Plain archive at its fixed name, replacing an older one.
printf '[autobackup]\r\nautobackupfile=0\r\n' >"$prog/settings.dat"
printf 'older archive' >"$root/out/plain.tvo"
wine_run "$prog/tarvobk.exe" "sf=E2Exm=111111111ps=bf=$root_win\\out\\plain.tvo" || fail "tarvobk.exe (plain)"
archive="$root/out/plain.tvo"
7z t "$archive" >"$root/t.out" 2>&1 || { cat "$root/t.out"; fail "7z t refuses the plain archive"; }
[ "$(ls "$root/out")" = "plain.tvo" ] || fail "other files in the target folder: $(ls "$root/out")"

entries="$(7z l -slt "$archive" | sed -n 's/^Path = //p' | tail -n +2)"
record="$(7z e -so "$archive" mailvault.dat)"
printf '%s\n' "--- entries" "$entries" "--- record" "$record" | tr -d '\r'
[ "$(printf '%s\n' "$entries" | tail -1)" = "mailvault.dat" ] || fail "the record is not the last entry"
[ "$(printf '%s\n' "$entries" | grep -ci '^OB[AC].*\.TMP$')" = 3 ] || fail "not three registry exports"
for name in "E2E Mail.pst" Archive.pst E2E.RWZ E2E.htm E2E.txt Paper.htm E2E.pab "E2E Memo.oft" outcmd.dat \
  "E2E Anna.contact"; do
  printf '%s\n' "$entries" | grep -qxF "$name" || fail "entry $name missing"
done
[ "$(printf '%s\n' "$entries" | grep -cix 'E2E.RWZ')" = 1 ] || fail "the rules file is in the archive twice"
7z e -so "$archive" "E2E Mail.pst" | cmp - "$pst" || fail "the data file is not the original"

# Record lines in order, byte for byte where the values are known.
recorded() { printf '%s' "$record" | tr -d '\r' | sed -n "s/^$1=//p"; }
# Notes depend on what else the machine holds (earlier tests leave data files in Outlook's
# folders); they are checked by the notes case below, and here only for their place.
all_keys="$(printf '%s' "$record" | tr -d '\r' | cut -d= -f1 | tr '\n' ' ')"
keys="$(sed -E 's/(BackupNote[0-9]+ )+//' <<<"$all_keys")"
grep -qE '^BackupComputer .*BackupContacts (BackupNote[0-9]+ )*BackupItem $' <<<"$all_keys" ||
  fail "notes out of place: $all_keys"
[ "$keys" = "BackupComputer BackupLogonUser BackupIdentity BackupTime Outlookversion BackupInformation BackupConfig BackupDatas BackupRules BackupAccounts BackupSignatures BackupStationery BackupPab BackupConfigsetting BackupTemplates BackupSetting BackupContacts BackupItem " ] ||
  fail "record keys: $keys"
[ "$(printf "%s" "$record" | grep -c $'\r$')" = "$(wc -w <<<"$all_keys")" ] || fail "record lines do not end in CR LF"
[ "$(recorded BackupIdentity)" = E2E ] || fail "BackupIdentity"
[ "$(recorded Outlookversion)" = "Outlook 2010" ] || fail "Outlookversion $(recorded Outlookversion)"
[ "$(recorded BackupInformation)" = "Automatic Backup" ] || fail "BackupInformation"
[ "$(recorded BackupDatas)" = "E2E Mail.pst;Archive.pst" ] || fail "BackupDatas $(recorded BackupDatas)"
[ "$(recorded BackupRules)" = "E2E.RWZ" ] || fail "BackupRules"
[ "$(recorded BackupPab)" = "E2E.pab" ] || fail "BackupPab"
[ "$(recorded BackupStationery)" = "Paper.htm" ] || fail "BackupStationery"
[ "$(recorded BackupContacts)" = "E2E Anna.contact" ] || fail "BackupContacts"
[ "$(recorded BackupItem)" = 11111111111 ] || fail "BackupItem $(recorded BackupItem)"
accounts="$(recorded BackupAccounts)"
7z e -so "$archive" "$accounts" | iconv -f WINDOWS-1252 | grep -q 'e2e@example.org' ||
  fail "the accounts export does not hold the account"
[ ! -s "$prog/brlog.dat" ] || fail "the automatic run wrote to the log"
[ "$(ls "$prog" | sort | tr '\n' ' ')" = "brlog.dat lastrun.dat settings.dat tarvobk.exe " ] ||
  fail "work files left in the program folder: $(ls "$prog")"
grep -qx 'Result=ok' <(tr -d '\r' <"$prog/lastrun.dat") || fail "lastrun.dat does not record a success"
echo "ok: plain archive"

# --- Password and a dated name; the plain path goes once the dated archive is complete.
printf '[autobackup]\r\nautobackupfile=1\r\n' >"$prog/settings.dat"
printf 'older archive' >"$root/out/locked.tvo"
wine_run "$prog/tarvobk.exe" "sf=E2Exm=101000001ps=Secret1bf=$root_win\\out\\locked.tvo" ||
  fail "tarvobk.exe (password)"
dated="$(cd "$root/out" && ls locked-*.tvo 2>/dev/null || true)"
[[ "$dated" =~ ^locked-[0-9]{2}-[0-9]{2}-[0-9]{4}-[0-9]{2}-[0-9]{2}\.tvo$ ]] || fail "no dated archive: $(ls "$root/out")"
[ ! -e "$root/out/locked.tvo" ] || fail "the plain path was not removed"
7z t -pSecret1 "$root/out/$dated" >"$root/t2.out" 2>&1 || { cat "$root/t2.out"; fail "7z t refuses the password"; }
if 7z t -pwrong "$root/out/$dated" >/dev/null 2>&1; then fail "7z accepts a wrong password"; fi
7z l -slt "$root/out/$dated" | grep -q '^Method = .*AES-256' || fail "entries are not AES-256"
record="$(7z e -so -pSecret1 "$root/out/$dated" mailvault.dat)"
[ "$(recorded BackupItem)" = 11101000001 ] || fail "BackupItem $(recorded BackupItem)"
echo "ok: protected archive $dated"
# --- Notes. The profile E2ENotes: one attached PST outside Outlook's folders and a cached
# mailbox's OST; beside them a PST in the local Outlook folder that no profile uses, and the
# new Outlook switched on. The automatic run keeps the notes in the record.
mkdir -p "$local_dir"
head -c 4000 /dev/urandom >"$local_dir/E2E Notes.ost"
head -c 4000 /dev/urandom >"$local_dir/E2E Old Archive.pst"
python3 - "$root/notes.reg" "$root_win" "$up_win" "$profiles" <<'PY'
import sys
out, root, up, profiles = sys.argv[1:]
def hexs(data): return "hex:" + ",".join("%02x" % b for b in data)
head = (bytes(4) + bytes.fromhex("38A1BB1005E5101AA1BB08002B2A56C2") + b"\0\0mspst.dll\0" + bytes(4)
        + bytes.fromhex("4E495441F9BFB80100AA0037D96E0000") + b"\0\0")
pst = root + "\\mail\\E2E Mail.pst"
ost = up + "\\AppData\\Local\\Microsoft\\Outlook\\E2E Notes.ost"
key = profiles + "\\E2ENotes"
lines = ["REGEDIT4", "", "[" + key + "]", "",
         "[" + key + "\\1a6e]", '"01020fff"=' + hexs(head + pst.encode("utf-16-le") + b"\0\0"), "",
         "[" + key + "\\5e0f]", '"001f6610"=' + hexs(ost.encode("utf-16-le") + b"\0\0"), ""]
with open(out, "w", newline="\r\n") as f:
    f.write("\n".join(lines) + "\n")
PY
reg_import "$root/notes.reg"
wine_run reg add "$new_outlook" /v UseNewOutlook /t REG_DWORD /d 1 /f >/dev/null || fail "UseNewOutlook"
printf '[autobackup]\r\nautobackupfile=0\r\n' >"$prog/settings.dat"
wine_run "$prog/tarvobk.exe" "sf=E2ENotesxm=100000000ps=bf=$root_win\\out\\notes.tvo" || fail "tarvobk.exe (notes)"
record="$(7z e -so "$root/out/notes.tvo" mailvault.dat)"
printf '%s\n' "--- record with notes" "$record" | tr -d '\r'
[ "$(recorded BackupDatas)" = "E2E Mail.pst" ] || fail "BackupDatas $(recorded BackupDatas)"
[ "$(printf '%s' "$record" | tr -d '\r' | tail -1)" = "BackupItem=11000000000" ] || fail "BackupItem is not the last line"
ost_win="$up_win\\AppData\\Local\\Microsoft\\Outlook\\E2E Notes.ost"
old_win="$up_win\\AppData\\Local\\Microsoft\\Outlook\\E2E Old Archive.pst"
# Earlier tests may leave data files of their own in the Outlook folder: the notes are
# looked for by what they say, and of this test's files only the two unprotected ones count.
notes="$(printf '%s' "$record" | tr -d '\r' | sed -n 's/^BackupNote[0-9]*=//p')"
for want in "The new Outlook is in use on this PC" "$ost_win is an offline copy (OST)" \
  "$old_win is a PST data file that is not attached to this profile"; do
  grep -qF -- "$want" <<<"$notes" || fail "no note '$want' among: $notes"
done
[ "$(grep -c 'E2E' <<<"$notes")" = 2 ] || fail "notes of this test's files: $notes"

# Where people read them: `tvo info` of the archive, and the summary of `tvo backup`.
cp "$TARVO_BIN/tvo.exe" "$prog/"
cp "$TARVO_BIN"/*.dll "$prog/" 2>/dev/null || true
wine_run "$prog/tvo.exe" info "$root_win\\out\\notes.tvo" >"$root/info.out" 2>&1 || { cat "$root/info.out"; fail "tvo info"; }
tr -d '\r' <"$root/info.out" >"$root/info.txt"
cat "$root/info.txt"
for want in "Note: The new Outlook is in use on this PC" "Note: $ost_win is an offline copy (OST)" \
  "Note: $old_win is a PST data file that is not attached to this profile"; do
  grep -qF "$want" "$root/info.txt" || fail "tvo info does not show: $want"
done
printf '[General]\r\nrunoutlookafterbackup=0\r\nburndvd=0\r\n[backup]\r\nopenfolderbackup=0\r\nautocloseoutlook=0\r\n' \
  >"$prog/settings.dat"
wine_run "$prog/tvo.exe" backup "$root_win\\out\\by-tvo.tvo" --profile E2ENotes --items datas >"$root/tvo.out" 2>&1 ||
  { cat "$root/tvo.out"; fail "tvo backup (notes)"; }
tr -d '\r' <"$root/tvo.out" >"$root/tvo.txt"
grep -qF "Not protected by this backup:" "$root/tvo.txt" || { cat "$root/tvo.txt"; fail "tvo backup shows no notes"; }
grep -qF -- "- $old_win is a PST data file that is not attached" "$root/tvo.txt" || fail "tvo backup lacks the PST note"
grep -qF "Note: $ost_win is an offline copy (OST)" <(tr -d '\r' <"$prog/brlog.dat") || fail "the log lacks the OST note"
echo "ok: notes of what the backup does not protect"
echo "backup end to end: all cases passed"
