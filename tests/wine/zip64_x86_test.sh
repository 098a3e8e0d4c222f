#!/usr/bin/env bash
# With TARVO_SLOW_TESTS=1: a data file over 4 GiB backed up and restored by the 32-bit
# tvo.exe (through x86_run.sh), the Zip64 round trip where sizes no longer fit 32 bits.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

if [ "${TARVO_SLOW_TESTS:-}" != 1 ]; then
  echo "SKIPPED: the >4 GiB round trip runs only with TARVO_SLOW_TESTS=1"
  exit 0
fi
root_win='C:\tarvotest\zip64'
root="$(host_path "$root_win")"
up="$(host_path "$(user_profile_win)")"
local_dir="$up/AppData/Local/Microsoft/Outlook"
cleanup() {
  reg_delete_tree "$profiles\\Home"
  reg_delete_tree "$profiles\\Work"
  rm -rf "$root"
  rm -f "$local_dir/Home Mail.pst" "$local_dir/Archive - 2010.pst"
}
trap cleanup EXIT
cleanup
mkdir -p "$root/prog" "$root/home" "$root/work" "$root/out"
cp "$TARVO_BIN/tvo.exe" "$root/prog/"
printf '[General]\r\nrunoutlookafterrestore=0\r\nrunoutlookafterbackup=0\r\nburndvd=0\r\n[backup]\r\nopenfolderbackup=0\r\n' \
  >"$root/prog/settings.dat"
"${helper[@]}" seed "$root/profiles.reg" "$root_win\\home" "$root_win\\work"
reg_import "$root/profiles.reg"
cp "$(test_data pst/sample1-unicode.pst)" "$root/home/Home Mail.pst"
# Mostly holes, marked at the start, across the 4 GiB line and at the end.
big="$root/home/Archive - 2010.pst"
python3 - "$big" <<'PY'
import sys
size = (4 << 30) + (3 << 20)
with open(sys.argv[1], "wb") as f:
    for at in (0, (4 << 30) - 512, size - 4096):
        f.seek(at)
        f.write(("tarvo zip64 mark at %d\n" % at).encode() * 8)
    f.truncate(size)
PY
wine_run "$root/prog/tvo.exe" backup "$root_win\\out\\big.tvo" --profile Home --items datas >"$root/backup.out" 2>&1 ||
  { cat "$root/backup.out"; fail "32-bit backup of a data file over 4 GiB"; }
wine_run "$root/prog/tvo.exe" verify "$root_win\\out\\big.tvo" >"$root/verify.out" 2>&1 ||
  { cat "$root/verify.out"; fail "32-bit verify of a Zip64 archive"; }
rm -f "$local_dir/Archive - 2010.pst"
wine_run "$root/prog/tvo.exe" restore "$root_win\\out\\big.tvo" --profile Work --items datas >"$root/restore.out" 2>&1 ||
  { cat "$root/restore.out"; fail "32-bit restore of a data file over 4 GiB"; }
cmp "$local_dir/Archive - 2010.pst" "$big" || fail "the restored data file over 4 GiB differs"
echo "ok: 32-bit Zip64 round trip ($(stat -c %s "$root/out/big.tvo") byte archive)"
