#!/usr/bin/env bash
# The real windows under the virtual display: ui_driver backs up the demo profile with a
# password, restores the archive into a second profile and opens every window. The
# screenshots land as PNG files in the build folder's ui-screenshots/.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

[ -n "${DISPLAY:-}" ] || fail "no display: run under xvfb-run (scripts/test.sh does)"
curver='HKCR\Outlook.Application\CurVer'
app='C:\tarvo-ui'
shots="$TARVO_BIN/../ui-screenshots"
x11='HKCU\Software\Wine\X11 Driver'
desktop='HKCU\Control Panel\Desktop'
cleanup() {
  wine_run regsvr32 /s /u "$(win_path "$TARVO_BIN/recorder_stub.dll")" >/dev/null 2>&1 || true
  wine_run reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true
  wine_run reg delete "$x11" /v Managed /f >/dev/null 2>&1 || true
  reg_delete_tree "$profiles"
  reg_delete_tree 'HKCR\Outlook.Application'
  rm -rf "$(host_path "$app")" "$(host_path 'C:\mail')"
}
cleanup
trap cleanup EXIT

# No window manager on the virtual display: Wine draws the frames and captions itself.
wine_run reg add "$x11" /v Managed /d N /f >/dev/null

# An Outlook 2010 profile with its two data files, and an empty second profile.
reg_import "$TARVO_SOURCE/tests/wine/demo_profile.reg"
wine_run reg add "$profiles\\Second" /f >/dev/null
wine_run reg add "$curver" /ve /d Outlook.Application.14 /f >/dev/null
mkdir -p "$(host_path 'C:\mail')"
pst="$(test_data pst)"
cp "$pst/sample1-unicode.pst" "$(host_path 'C:\mail\Personal.pst')"
cp "$pst/sample2-ansi.pst" "$(host_path 'C:\mail\Archive - 2010.pst')"
chmod u+w "$(host_path 'C:\mail')"/*.pst

# The program in a folder of its own, since it keeps settings.dat and brlog.dat beside itself.
# No after-run actions: they would open Explorer or Outlook.
mkdir -p "$(host_path "$app")/out"
cp "$TARVO_BIN/tarvobk.exe" "$(host_path "$app")/"
# "burndvd" on: the disc window follows the backup; disc images go to the backup folder.
mkdir -p "$(host_path "$app")/iso"
printf '[General]\r\nrunoutlookafterbackup=0\r\nrunoutlookafterrestore=0\r\nburndvd=1\r\ncheckbackupfile=0\r\n[backup]\r\nopenfolderbackup=0\r\nautocloseoutlook=0\r\nautomgeneratefile=1\r\nbackupfolder=%s\r\n' \
  "$app\\iso" >"$(host_path "$app")/settings.dat"

rm -rf "$shots"
mkdir -p "$shots"
archive="$app\\out\\ui backup.tvo"
wine_bin ui_driver.exe "$app\\tarvobk.exe" "$(win_path "$shots")" "$archive" 'p4ss word' Outlook Second \
  | tr -d '\r' || fail "ui driver"

# The archive is a real protected .tvo: the tool lists it with the password only.
printf 'p4ss word' >"$(host_path "$app")/pw.txt"
wine_bin tvo.exe verify "$archive" --password-file "$app\\pw.txt" >/dev/null || fail "archive does not verify"
if wine_bin tvo.exe verify "$archive" >/dev/null 2>&1; then fail "archive opens without its password"; fi
# The second profile now holds the restored data-file section.
reg_query "$profiles\\Second" /s | grep -q 'MSUPST MS' || fail "no data-file section restored into Second"

# A disc from a dropped folder tree and two added files, written with verification to the
# image-file drive; 7-Zip reads the image back and finds the composed tree byte for byte.
src="$(host_path "$app")/disc-src"
mkdir -p "$src/Mail Tree/Sub One/Deep" "$src/Mail Tree/Sub Two"
printf 'top of the tree\r\n' >"$src/Mail Tree/a.txt"
head -c 300000 /dev/urandom >"$src/Mail Tree/Sub One/b.bin"
printf 'deep file\r\n' >"$src/Mail Tree/Sub One/Deep/c.txt"
printf 'removed with its folder\r\n' >"$src/Mail Tree/Sub Two/d.txt"
head -c 1234567 /dev/urandom >"$src/notes.txt"
printf 'dropped and removed\r\n' >"$src/extra.txt"
# A large folder: the window keeps answering while its items are added.
for part in $(seq 0 29); do
  mkdir -p "$src/Many Files/Part $part"
  for n in $(seq 1 80); do printf '%s %s\r\n' "$part" "$n" >"$src/Many Files/Part $part/file $n.txt"; done
done
wine_bin ui_driver.exe --disc "$app\\tarvobk.exe" "$(win_path "$shots")" "$app\\disc-src" | tr -d '\r' \
  || fail "ui driver: disc"
iso="$(host_path "$app")/iso/UI Disc.iso"
[ -f "$iso" ] || fail "no image file $iso"
expected="$(mktemp -d)" && read_back="$(mktemp -d)"
mkdir -p "$expected/Mail Tree/Sub Renamed"
cp "$src/Mail Tree/a.txt" "$expected/Mail Tree/"
cp -r "$src/Mail Tree/Sub One/." "$expected/Mail Tree/Sub Renamed/"
cp "$src/notes.txt" "$expected/notes renamed.txt"
cp -r "$src/Many Files" "$expected/"
7z x -y -o"$read_back" "$iso" >/dev/null || fail "7z cannot read $iso"
diff -r "$expected" "$read_back" || fail "the image does not hold the composed files"
echo "disc image read back: same files"
rm -rf "$expected" "$read_back"

# The stand-in recorder, registered in this prefix for this step only: a write cancelled,
# a write completed and a quick erase through the windows; its output is the written image.
recorder_stub="$(win_path "$TARVO_BIN/recorder_stub.dll")"
wine_run regsvr32 /s "$recorder_stub" >/dev/null 2>&1 || fail "regsvr32 $recorder_stub"
mkdir -p "$src/rec"
head -c 1073741824 /dev/zero >"$src/rec/big.bin"
printf 'written by the stand-in\r\n' >"$src/rec/small.txt"
written="$(host_path "$app")/iso/recorder-output.img"
status=0
TARVO_RECORDER_DISC=rewritable TARVO_RECORDER_OUTPUT="$app\\iso\\recorder-output.img" \
  wine_bin ui_driver.exe --recorder "$app\\tarvobk.exe" "$app\\disc-src\\rec" | tr -d '\r' || status=1
wine_run regsvr32 /s /u "$recorder_stub" >/dev/null 2>&1 || true
rm -f "$src/rec/big.bin"
[ "$status" = 0 ] || fail "ui driver: recorder"
7z l "$written" | grep -q 'small.txt' || fail "the recorder's image does not hold small.txt"
echo "recorder image holds the written file"

# The same windows at 150 %: laid out inside their windows, screenshots with the suffix _150.
wine_run reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
wine_bin ui_driver.exe --screens "$app\\tarvobk.exe" "$(win_path "$shots")" _150 | tr -d '\r' || fail "ui driver at 150 %"
wine_run reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true

# With TARVO_SLOW_TESTS=1: a 1 GiB data file; the window must keep answering and moving.
if [ "${TARVO_SLOW_TESTS:-}" = 1 ]; then
  big="$(host_path 'C:\mail\Personal.pst')"
  head -c 1073741824 /dev/urandom >"$big"
  wine_bin ui_driver.exe --big "$app\\tarvobk.exe" "$app\\out\\big.tvo" | tr -d '\r' || fail "big backup"
  size="$(stat -c %s "$(host_path "$app\\out\\big.tvo")")"
  echo "big archive: $size bytes"
  [ "$size" -ge 1073741824 ] || fail "the big archive does not hold the 1 GiB data file"
fi

for bmp in "$shots"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$shots"
echo "ui test: ok"
