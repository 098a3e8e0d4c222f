#!/usr/bin/env bash
# A profile and a data file named outside the ANSI code page ("Почта"): the record can only
# hold "?????", yet `tvo backup` and `tvo restore` into another profile put every data file
# back in place, byte for byte.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

pst="$(test_data pst)"
home='Почта'
root_win='C:\tarvotest\unicode'
root="$(host_path "$root_win")"
prog="$root/prog"
up="$(host_path "$(user_profile_win)")"
local_dir="$up/AppData/Local/Microsoft/Outlook"

cleanup() {
  reg_delete_tree "$profiles\\$home"
  reg_delete_tree "$profiles\\Work"
  reg_delete_tree "$options"
  wine_run regsvr32 /s /u "$stub" >/dev/null 2>&1 || true
  rm -rf "$root"
  rm -f "$local_dir/$home.pst" "$local_dir/Archive - 2010.pst"
  rmdir "$local_dir" "$(dirname "$root")" 2>/dev/null || true
}
trap cleanup EXIT
cleanup

mkdir -p "$prog" "$root/home" "$root/work" "$root/archives"
cp "$TARVO_BIN/tvo.exe" "$prog/"
printf '[General]\r\nrunoutlookafterrestore=0\r\nrunoutlookafterbackup=0\r\n' >"$prog/settings.dat"
tvo() { wine_run "$prog/tvo.exe" "$@"; }
wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || fail "regsvr32 $stub"

"${helper[@]}" seed - "$root_win\\home" "$root_win\\work" "$home" "$home.pst" | write_reg_utf16 "$root/profiles.reg"
reg_import "$root/profiles.reg"
reg_query "$profiles\\$home" >/dev/null || fail "profile $home was not seeded"
cp "$pst/sample1-unicode.pst" "$root/home/$home.pst"
cp "$pst/sample2-ansi.pst" "$root/home/Archive - 2010.pst"
cp "$pst/dist-list.pst" "$root/work/Work Mail.pst"

archive_win="$root_win\\archives\\mail.tvo"
archive="$root/archives/mail.tvo"
tvo backup "$archive_win" --profile "$home" --items datas,accounts >"$root/backup.out" 2>&1 ||
  { cat "$root/backup.out"; fail "tvo backup of $home"; }
7z l -slt "$archive" | grep -qx "Path = $home.pst" || fail "no entry $home.pst: $(7z l "$archive")"
record="$(7z x -so "$archive" mailvault.dat | tr -d '\r')"
grep -q '^BackupDatas=.*Archive - 2010.pst' <<<"$record" || fail "record: $record"
echo "ok: backup of $home ($(grep '^BackupDatas=' <<<"$record"))"

tvo restore "$archive_win" --profile Work --items datas,accounts >"$root/restore.out" 2>&1 ||
  { cat "$root/restore.out"; fail "tvo restore into Work"; }
grep -q 'Restore Personal Folders.*Succeeded!' <(tr -d '\r' <"$root/restore.out") ||
  { cat "$root/restore.out"; fail "personal folders not restored"; }
cmp "$local_dir/$home.pst" "$pst/sample1-unicode.pst" || fail "$home.pst is not the original: $(ls "$local_dir")"
cmp "$local_dir/Archive - 2010.pst" "$pst/sample2-ansi.pst" || fail "Archive - 2010.pst is not the original"
# The restored store points at the file: its path is UTF-16 in the binary values.
name_hex="$(printf %s "$home.pst" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d " \n" | tr a-f A-F)"
[ "${#name_hex}" = 36 ] || fail "hex of the name: $name_hex"
reg_query "$profiles\\Work" /s | tr -d "\r" | grep -q "$name_hex" || fail "Work does not point at $home.pst"
echo "unicode profile: all cases passed"
