#!/usr/bin/env bash
# Faults with the real tvo.exe and registry: a data file held open by another program,
# archives truncated or damaged at several offsets, and a wrong password. Every case
# checks that the previous archive keeps its bytes, that nothing damaged or stray is
# written, and the words of the log.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

pst="$(test_data pst)"
root_win='C:\tarvotest\faults'
root="$(host_path "$root_win")"
prog="$root/prog"
up="$(host_path "$(user_profile_win)")"
local_dir="$up/AppData/Local/Microsoft/Outlook"

cleanup() {
  [ -n "${root:-}" ] && touch "$root/release" 2>/dev/null || true
  for m in "${root:-}/mnt-full" "${root:-}/mnt-ro"; do
    if mountpoint -q "$m" 2>/dev/null; then umount "$m" || true; fi
  done
  for d in "${drives[@]:-}"; do [ -n "$d" ] && rm -f "$WINEPREFIX/dosdevices/$d:"; done
  reg_delete_tree "$profiles\\Home"
  reg_delete_tree "$profiles\\Work"
  rm -rf "$root"
  rm -f "$local_dir/Home Mail.pst" "$local_dir/Archive - 2010.pst"
  rmdir "$local_dir" "$(dirname "$root")" 2>/dev/null || true
}
drives=()
trap cleanup EXIT
cleanup

mkdir -p "$prog" "$root/home" "$root/work" "$root/out"
cp "$TARVO_BIN/tvo.exe" "$TARVO_BIN/file_holder.exe" "$prog/"
printf '[General]\r\nrunoutlookafterrestore=0\r\nrunoutlookafterbackup=0\r\nburndvd=0\r\n[backup]\r\nopenfolderbackup=0\r\n' \
  >"$prog/settings.dat"
tvo() { wine_run "$prog/tvo.exe" "$@"; }
"${helper[@]}" seed "$root/profiles.reg" "$root_win\\home" "$root_win\\work"
reg_import "$root/profiles.reg"
cp "$pst/sample1-unicode.pst" "$root/home/Home Mail.pst"
cp "$pst/sample2-ansi.pst" "$root/home/Archive - 2010.pst"
cp "$pst/dist-list.pst" "$root/work/Work Mail.pst"
printf 'wrong\r\n' >"$root/bad.txt"
printf 'Secret pass 1\r\n' >"$root/pw.txt"

# No work file of a run may stay behind, beside the archive or in the data folder.
no_stray() {
  local left
  left="$(ls "$prog" "$root/out" | grep -i -e '^mailvault.dat$' -e '^OB[ICA].*\.tmp$' -e '\.~[0-9a-f]*\.tmp' || true)"
  [ -z "$left" ] || fail "$1: work files left: $left"
}

archive_win="$root_win\\out\\home.tvo"
archive="$root/out/home.tvo"
tvo backup "$archive_win" --profile Home --items datas >"$root/backup.out" 2>&1 ||
  { cat "$root/backup.out"; fail "tvo backup"; }
cp "$archive" "$root/before.tvo"
no_stray "backup"

# --- A data file held open by another program: the backup fails as a whole, the previous
# archive keeps its bytes, and the log says who holds the file and what to do.
rm -f "$root/held" "$root/release"
wine_run "$prog/file_holder.exe" "$root_win\\home\\Home Mail.pst" "$root_win\\held" "$root_win\\release" &
holder=$!
for _ in $(seq 1 300); do [ -e "$root/held" ] && break; sleep 0.1; done
[ -e "$root/held" ] || fail "file_holder did not take the data file"
if tvo backup "$archive_win" --profile Home --items datas >"$root/held.out" 2>&1; then
  cat "$root/held.out"
  fail "tvo backup reported success while a data file was held open"
fi
touch "$root/release"
wait "$holder" || true
cmp "$archive" "$root/before.tvo" || fail "the held data file changed the previous archive"
log="$(tr -d '\r' <"$prog/brlog.dat")"
want="could not be written: Cannot read $root_win\\home\\Home Mail.pst: "
grep -qF "$want" <<<"$log" || fail "log lacks \"$want\":"$'\n'"$log"
grep -qF 'Another program is using the file (Outlook may still be running). Close Outlook' <<<"$log" ||
  fail "log does not say the file is in use:"$'\n'"$log"
if grep -q -e 'Unknown error' -e 'No such file' <<<"$log" "$root/held.out"; then fail "a cause not in words: $log"; fi
no_stray "held data file"
echo "ok: held data file"

# --- Truncated and damaged archives: verify refuses, extraction writes nothing damaged,
# and a restore writes no damaged data file.
python3 - "$archive" "$root/bad" <<'PY'
import os, sys
src, out = sys.argv[1], sys.argv[2]
data = open(src, "rb").read()
os.makedirs(out, exist_ok=True)
n = len(data)
for i, cut in enumerate([1, 30, 200, n // 2, n - 22, n - 1]):
    open(f"{out}/cut{i}.tvo", "wb").write(data[:cut])
# Bytes flipped inside the stored data of the first entries.
for i, at in enumerate([120, 700, n // 3, n // 2 + 17]):
    b = bytearray(data)
    b[at] ^= 0x5A
    open(f"{out}/flip{i}.tvo", "wb").write(bytes(b))
PY
for bad in "$root/bad"/*.tvo; do
  name="$(basename "$bad")"
  rc=0
  tvo verify "$root_win\\bad\\$name" >"$root/verify.out" 2>&1 || rc=$?
  [ "$rc" = 1 ] || [ "$rc" = 2 ] || { cat "$root/verify.out"; fail "$name: verify exit code $rc"; }
  rm -rf "$root/x" && mkdir -p "$root/x"
  tvo extract "$root_win\\bad\\$name" "$root_win\\x" >/dev/null 2>&1 || true
  for f in "$root/x"/*; do
    [ -e "$f" ] || continue
    base="$(basename "$f")"
    case "$base" in mailvault.dat | OB*.TMP) continue ;; esac
    [ -f "$root/home/$base" ] || fail "$name: extracted an unknown file $base"
    cmp -s "$f" "$root/home/$base" || fail "$name: damaged $base was written"
  done
  [ -z "$(ls "$root/x" | grep -i '^tvo.*\.tmp$' || true)" ] || fail "$name: work file left by extraction"
done
rc=0
tvo restore "$root_win\\bad\\flip2.tvo" --profile Work --items datas >"$root/restore.out" 2>&1 || rc=$?
for f in "Home Mail.pst" "Archive - 2010.pst"; do
  [ ! -e "$local_dir/$f" ] || cmp -s "$local_dir/$f" "$root/home/$f" || fail "restore wrote a damaged $f"
done
no_stray "damaged archives"
echo "ok: truncated and damaged archives"

# --- A wrong password restores and extracts nothing.
rm -f "$local_dir/Home Mail.pst" "$local_dir/Archive - 2010.pst"
tvo backup "$root_win\\out\\locked.tvo" --profile Home --items datas --password-file "$root_win\\pw.txt" \
  >"$root/locked.out" 2>&1 || { cat "$root/locked.out"; fail "tvo backup with a password"; }
rm -rf "$root/x" && mkdir -p "$root/x"
if tvo extract "$root_win\\out\\locked.tvo" "$root_win\\x" --password-file "$root_win\\bad.txt" >/dev/null 2>&1; then
  fail "extraction with a wrong password succeeded"
fi
[ -z "$(ls "$root/x")" ] || fail "a wrong password extracted: $(ls "$root/x")"
if tvo restore "$root_win\\out\\locked.tvo" --profile Work --items datas --password-file "$root_win\\bad.txt" \
  >"$root/wrong.out" 2>&1; then
  fail "restore with a wrong password succeeded"
fi
[ ! -e "$local_dir/Home Mail.pst" ] && [ ! -e "$local_dir/Archive - 2010.pst" ] || fail "a wrong password restored a data file"
no_stray "wrong password"
echo "ok: wrong password"

# --- A full disk and a read-only folder, each a drive of its own: the backup fails, the
# previous archive there keeps its bytes, no work file stays, and the log says why in words.
free_letter() {
  local l
  for l in x w v u t s r q p; do [ -e "$WINEPREFIX/dosdevices/$l:" ] || { echo "$l"; return; }; done
}
log_since() { tr -d '\r' <"$prog/brlog.dat" | tail -n +"$(($1 + 1))"; }
log_lines() { tr -d '\r' <"$prog/brlog.dat" | wc -l; }
# fault_case NAME LETTER HOSTDIR GREP-WORDS: the second backup onto LETTER: must fail.
fault_case() {
  local name="$1" letter="$2" dir="$3" words="$4" before rc=0 out
  before="$(log_lines)"
  tvo backup "$letter:\\home.tvo" --profile Home --items datas >"$root/$name.out" 2>&1 || rc=$?
  [ "$rc" != 0 ] || { cat "$root/$name.out"; fail "$name: the backup reported success"; }
  cmp "$dir/home.tvo" "$root/$name-before.tvo" || fail "$name: the previous archive changed"
  out="$(ls -A "$dir")"
  [ "$out" = home.tvo ] || fail "$name: files left beside the archive: $out"
  no_stray "$name"
  out="$(log_since "$before")"
  grep -qiE "$words" <<<"$out" || fail "$name: the log does not say why ($words):"$'\n'"$out"
  if grep -q 'Unknown error' <<<"$out" "$root/$name.out"; then fail "$name: \"Unknown error\" in: $out"; fi
  echo "ok: $name ($(grep -iE "$words" <<<"$out" | head -n 1))"
}
cp "$root/home/Archive - 2010.pst" "$root/small.keep"
mkdir -p "$root/mnt-full"
if ! mount -t tmpfs -o size=2m tmpfs "$root/mnt-full" 2>"$root/mount.err"; then
  echo "SKIPPED: full disk: a tmpfs cannot be mounted here ($(head -n 1 "$root/mount.err")); case not run"
else
  letter="$(free_letter)"
  drives+=("$letter")
  ln -sfn "$root/mnt-full" "$WINEPREFIX/dosdevices/$letter:"
  tvo backup "$letter:\\home.tvo" --profile Home --items datas >"$root/full1.out" 2>&1 ||
    { cat "$root/full1.out"; fail "full disk: the first backup, which fits"; }
  cp "$root/mnt-full/home.tvo" "$root/full disk-before.tvo"
  head -c 3M /dev/urandom >"$root/home/Archive - 2010.pst"
  fault_case "full disk" "$letter" "$root/mnt-full" 'not enough space|disk is full|no space left'
  cp "$root/small.keep" "$root/home/Archive - 2010.pst"
fi

# A read-only bind mount: root's rights do not reach past it, as they would past a mode.
mkdir -p "$root/ro-src" "$root/mnt-ro"
if ! { mount --bind "$root/ro-src" "$root/mnt-ro" && mount -o remount,bind,ro "$root/mnt-ro"; } 2>"$root/mount.err"
then
  echo "SKIPPED: read-only folder: a read-only bind mount cannot be made here ($(head -n 1 "$root/mount.err")); case not run"
else
  letter="$(free_letter)"
  drives+=("$letter")
  ln -sfn "$root/mnt-ro" "$WINEPREFIX/dosdevices/$letter:"
  cp "$archive" "$root/ro-src/home.tvo"
  cp "$archive" "$root/read-only folder-before.tvo"
  fault_case "read-only folder" "$letter" "$root/mnt-ro" 'access denied|denied|read-only|write-protected'
fi

# --- Restoring a data file another program holds open: the item fails, the log says who
# holds it and what to do, and the file there keeps its bytes.
rm -f "$root/held" "$root/release"
cp "$root/home/Home Mail.pst" "$local_dir/Home Mail.pst" 2>/dev/null || { mkdir -p "$local_dir" && cp "$root/home/Home Mail.pst" "$local_dir/Home Mail.pst"; }
printf 'the data file in use\r\n' >>"$local_dir/Home Mail.pst"
cp "$local_dir/Home Mail.pst" "$root/inuse.keep"
local_win="$(user_profile_win)\\AppData\\Local\\Microsoft\\Outlook"
wine_run "$prog/file_holder.exe" "$local_win\\Home Mail.pst" "$root_win\\held" "$root_win\\release" &
holder=$!
for _ in $(seq 1 300); do [ -e "$root/held" ] && break; sleep 0.1; done
[ -e "$root/held" ] || fail "file_holder did not take the restore target"
before="$(log_lines)"
rc=0
tvo restore "$archive_win" --profile Work --items datas >"$root/inuse.out" 2>&1 || rc=$?
touch "$root/release"
wait "$holder" || true
[ "$rc" != 0 ] || { cat "$root/inuse.out"; fail "restore onto a held data file reported success"; }
cmp "$local_dir/Home Mail.pst" "$root/inuse.keep" || fail "restore changed the held data file"
out="$(log_since "$before")"
want="Could not restore Home Mail.pst: Cannot replace $local_win\\Home Mail.pst: Another program is using the file (Outlook may still be running)."
grep -qF "$want" <<<"$out" || fail "the restore log does not say the file is in use:"$'\n'"$out"
grep -qF 'Retore Personal Folders Fail!' <<<"$out" || fail "the restore log lacks the item's line:"$'\n'"$out"
[ -z "$(ls "$local_dir" | grep -i '^tvo.*\.tmp$' || true)" ] || fail "restore left a work file: $(ls "$local_dir")"
no_stray "held restore target"
rm -f "$local_dir/Home Mail.pst" "$local_dir/Archive - 2010.pst"
echo "ok: restore onto a held data file"

# --- A run killed while it writes: the previous archive keeps its bytes, and the next run
# (taking over the lock the killed one held) writes a sound archive.
cp "$root/home/Archive - 2010.pst" "$root/archive.keep"
head -c 400M /dev/urandom >"$root/home/Archive - 2010.pst"
tvo backup "$archive_win" --profile Home --items datas >"$root/killed.out" 2>&1 &
runner=$!
started=0
for _ in $(seq 1 600); do
  # libzip writes into a file of its own beside the work file (home.tvo.~XXXX.TMP.xxxxxxxx).
  work="$(find "$root/out" -maxdepth 1 -iname 'home.tvo.~*.tmp*' -size +20M 2>/dev/null | head -n 1)"
  if [ -n "$work" ]; then started=1; break; fi
  sleep 0.1
done
wine_run taskkill /f /im tvo.exe >/dev/null 2>&1 || true
wait "$runner" || true
[ "$started" = 1 ] || fail "the killed run never began writing"
cmp "$archive" "$root/before.tvo" || fail "a killed run changed the previous archive"
cp "$root/archive.keep" "$root/home/Archive - 2010.pst"
# What the killed run left, and files beside them the program did not name (or names
# for something else): the next run removes the former and keeps every one of the latter.
leftover="$(ls "$prog" "$root/out" | grep -i -e '^OB[ICA].*\.tmp$' -e '\.~[0-9a-f]*\.tmp' | sort || true)"
[ -n "$leftover" ] || fail "the killed run left no work file: the clean-up is not exercised"
keep=("$prog/OBR1A.TMP" "$prog/OBI1A.TMP.bak" "$prog/notes.txt" "$root/out/other.tvo.~1A2B.TMP"
  "$root/out/home.tvo.~mine.txt" "$root/out/home.tvo.bak")
for f in "${keep[@]}"; do printf 'not a work file\r\n' >"$f"; done
tvo backup "$archive_win" --profile Home --items datas >"$root/after.out" 2>&1 ||
  { cat "$root/after.out"; fail "the run after a killed one"; }
7z t "$archive" >/dev/null || fail "the run after a killed one wrote an unsound archive"
for f in "${keep[@]}"; do
  [ "$(cat "$f")" = $'not a work file\r' ] || fail "the clean-up touched $(basename "$f")"
  rm -f "$f"
done
no_stray "the run after a killed one"
echo "ok: killed run (its work files removed by the next run: $(echo $leftover))"
echo "faults: all cases passed"
