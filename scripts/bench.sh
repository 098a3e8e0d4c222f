#!/usr/bin/env bash
# Backup benchmark: one generated data file (about half text-like, half random blocks)
# backed up by our zip component (plain and AES-256), copied with cp, and zipped by
# 7z -mx=1 and -mx=5; then the archives read back and checked by our reader and 7z t, and
# extracted into a folder by tvo and 7z x; then the shipped tarvobk.exe under Wine making
# an unattended backup of the same file and tvo.exe restoring it into the profile; then a disc image of the data file beside cp; then
# the time of `tvo report` over a share of 1,000 archives; last
# the peak memory of a backup and of a disc image of a large sparse file. Prints throughput
# (of the data file's bytes), peak memory and output size in one table; each row is the
# best of RUNS runs, so a busy machine disturbs it less. Where ISA-L is built in, backup,
# verify and extract also run on zlib (a build without ISA-L for tvo) beside it.
#   scripts/bench.sh [MIB] [LEVEL]     (defaults: 1024 MiB, the component's own level)
#   TARVO_BENCH_RUNS=N                 (default 3)
#   TARVO_BENCH_SPARSE_GIB=N           (default 8; 0 leaves the sparse row out)
#   TARVO_BENCH_REPORT_ARCHIVES=N      (default 1000)
#   TARVO_BENCH_WIN_BIN=DIR            (default build/windows-x64/bin, where tarvobk.exe is)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mib="${1:-1024}"
level="${2:-0}"
build="${TARVO_BENCH_BUILD:-$root/build/bench}"
work="$(mktemp -d "${TMPDIR:-/tmp}/tarvo-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF >/dev/null
cmake --build "$build" --target zip_bench tvo -j2 >/dev/null
bench="$build/bench/zip_bench"
tvo="$build/src/tvo"
codec="$("$bench" codec)"
if [ "$codec" != zlib ]; then
  cmake -S "$root" -B "$build-zlib" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF -DTARVO_ISAL=OFF >/dev/null
  cmake --build "$build-zlib" --target tvo -j2 >/dev/null
fi

data="$work/Outlook.pst"
"$bench" generate "$data" "$mib"
bytes=$(stat -c %s "$data")

# Reads the file once so that every run starts from the page cache.
cat "$data" >/dev/null

runs="${TARVO_BENCH_RUNS:-3}"
echo "deflate and inflate: $codec (rows without a name in brackets)"
printf '%-30s %10s %8s %10s %14s %8s\n' "run" "MB/s" "CPU s" "peak MiB" "output bytes" "ratio"
# row NAME OUTPUT COMMAND...: best time (with its CPU seconds, all threads) and highest peak
# of the runs; OUTPUT "-" for reads, a folder for extraction (emptied before each run).
row() {
  local name="$1" out="$2"; shift 2
  local best="" cpu="" peak=0 figures seconds kib used size i
  for ((i = 0; i < runs; i++)); do
    [ "$out" = - ] || rm -rf "$out"
    figures=$("$bench" measure "$@")
    read -r seconds kib used <<<"$figures"
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best="$seconds" cpu="$used"
    fi
    [ "$kib" -gt "$peak" ] && peak="$kib"
  done
  size=$([ -f "$out" ] && stat -c %s "$out" || echo -)
  echo "$name $best" >>"$work/times"
  awk -v n="$name" -v b="$bytes" -v s="$best" -v c="$cpu" -v k="$peak" -v o="$size" \
    'BEGIN { printf "%-30s %10.1f %8.2f %10.1f", n, b / s / 1e6, c, k / 1024
             if (o == "-") printf " %14s %8s\n", "-", "-"; else printf " %14d %8.3f\n", o, o / b }'
}
seconds_of() { awk -v n="$1" '{ t = $NF; $NF = ""; sub(/ $/, "") } $0 == n { print t }' "$work/times"; }
# ratio A B: how many times faster row A was than row B.
ratio() {
  local a b
  a="$(seconds_of "$1")" b="$(seconds_of "$2")"
  [ -n "$a" ] && [ -n "$b" ] && awk -v a="$a" -v b="$b" -v n="$1 / $2" 'BEGIN { printf "%-44s %5.2fx\n", n ":", b / a }'
  return 0
}

row "cp" "$work/copy.pst" cp "$data" "$work/copy.pst"
row "tarvo backup plain" "$work/plain.tvo" "$bench" backup "$data" "$work/plain.tvo" "" "$level"
TARVO_BENCH_WORKERS=1 row "tarvo backup plain, 1 thread" "$work/one.tvo" "$bench" backup "$data" "$work/one.tvo" "" "$level"
row "tarvo backup AES-256" "$work/aes.tvo" "$bench" backup "$data" "$work/aes.tvo" "bench-pw" "$level"
if [ "$codec" != zlib ]; then
  TARVO_BENCH_CODEC=zlib row "tarvo backup plain (zlib)" "$work/zplain.tvo" "$bench" backup "$data" "$work/zplain.tvo" "" "$level"
  TARVO_BENCH_CODEC=zlib row "tarvo backup AES-256 (zlib)" "$work/zaes.tvo" "$bench" backup "$data" "$work/zaes.tvo" "bench-pw" "$level"
fi
if command -v 7z >/dev/null; then
  row "7z a -tzip -mx=1" "$work/mx1.zip" 7z a -tzip -mx=1 -bd -bso0 "$work/mx1.zip" "$data"
  row "7z a -tzip -mx=5" "$work/mx5.zip" 7z a -tzip -mx=5 -bd -bso0 "$work/mx5.zip" "$data"
fi
row "tarvo verify plain" - "$bench" verify "$work/plain.tvo"
row "tarvo verify AES-256" - "$bench" verify "$work/aes.tvo" "bench-pw"
if [ "$codec" != zlib ]; then
  TARVO_BENCH_CODEC=zlib row "tarvo verify plain (zlib)" - "$bench" verify "$work/zplain.tvo"
  TARVO_BENCH_CODEC=zlib row "tarvo verify AES-256 (zlib)" - "$bench" verify "$work/zaes.tvo" "bench-pw"
fi
if command -v 7z >/dev/null; then
  row "7z t plain" - 7z t -bso0 "$work/plain.tvo"
  row "7z t AES-256" - 7z t -bso0 -pbench-pw "$work/aes.tvo"
fi
printf 'bench-pw\n' >"$work/password.txt"
row "tvo extract plain" "$work/out" "$tvo" extract "$work/plain.tvo" "$work/out"
row "tvo extract AES-256" "$work/out" "$tvo" extract "$work/aes.tvo" "$work/out" --password-file "$work/password.txt"
if [ "$codec" != zlib ]; then
  row "tvo extract plain (zlib)" "$work/out" "$build-zlib/src/tvo" extract "$work/zplain.tvo" "$work/out"
  row "tvo extract AES-256 (zlib)" "$work/out" "$build-zlib/src/tvo" extract "$work/zaes.tvo" "$work/out" \
    --password-file "$work/password.txt"
fi
if command -v 7z >/dev/null; then
  row "7z x plain" "$work/out" 7z x -y -bso0 -bd -o"$work/out" "$work/plain.tvo"
  row "7z x AES-256" "$work/out" 7z x -y -bso0 -bd -pbench-pw -o"$work/out" "$work/aes.tvo"
fi
rm -rf "$work/out"

# The shipped program under Wine: a throwaway prefix with a profile whose data file is
# the same file, backed up unattended (data files and their profile settings only).
win_bin="${TARVO_BENCH_WIN_BIN:-$root/build/windows-x64/bin}"
if [ ! -f "$win_bin/tarvobk.exe" ]; then
  echo "skipped tarvobk.exe (Wine): no $win_bin/tarvobk.exe (cmake --build --preset windows-x64)"
elif ! [ -x /usr/lib/wine/wine64 ] && ! command -v wine64 >/dev/null; then
  echo "skipped tarvobk.exe (Wine): Wine is not installed"
else
  # shellcheck source=wine-prefix.sh
  source "$root/scripts/wine-prefix.sh"
  trap 'wine_prefix_stop; rm -rf "$work"' EXIT
  wine_prefix_start
  export TARVO_WINE="$root/scripts/wine-run.sh" TARVO_BIN="$win_bin"
  # shellcheck source=../tests/wine/lib.sh
  source "$root/tests/wine/lib.sh"
  broot="$(host_path 'C:\bench')"
  mkdir -p "$broot/mail" "$broot/prog" "$broot/out"
  python3 "$root/tests/wine/backup_e2e_seed.py" "$broot/profile.reg" 'C:\bench'
  reg_import "$broot/profile.reg"
  if [ -f "$win_bin/word_stub.dll" ]; then wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || true; fi
  ln -f "$data" "$broot/mail/E2E Mail.pst" 2>/dev/null || cp "$data" "$broot/mail/E2E Mail.pst"
  printf 'small' >"$broot/mail/Archive.pst"
  cp "$win_bin/tarvobk.exe" "$broot/prog/"
  printf '[autobackup]\r\nautobackupfile=0\r\n' >"$broot/prog/settings.dat"
  row "tarvobk.exe plain (Wine)" "$broot/out/plain.tvo" \
    "$TARVO_WINE" "$broot/prog/tarvobk.exe" 'sf=E2Exm=100000000ps=bf=C:\bench\out\plain.tvo'
  row "tarvobk.exe AES (Wine)" "$broot/out/aes.tvo" \
    "$TARVO_WINE" "$broot/prog/tarvobk.exe" 'sf=E2Exm=100000000ps=bench-pwbf=C:\bench\out\aes.tvo'
  # The shipped tvo.exe restores that backup's data file into the profile: staged beside the
  # file it replaces and checked before it is moved into place (compare with 7z x plain).
  cp "$win_bin/tvo.exe" "$broot/prog/"
  printf '[General]\r\nrunoutlookafterrestore=0\r\n' >>"$broot/prog/settings.dat"
  row "tvo.exe restore plain (Wine)" - bash -c 'exec "$@" >/dev/null 2>&1' - \
    "$TARVO_WINE" "$broot/prog/tvo.exe" restore 'C:\bench\out\plain.tvo' --profile E2E --items datas
  restored="$(find "$WINEPREFIX/drive_c/users" -path '*Local/Microsoft/Outlook/E2E Mail.pst' | head -n 1)"
  if [ -n "$restored" ] && cmp -s "$restored" "$data"; then
    echo "tvo.exe restore: the restored data file is identical to the original"
  else
    echo "tvo.exe restore: the restored data file is missing or differs"
  fi
  rm -f "$broot/mail/E2E Mail.pst" "$restored"
fi

# Disc images: the data file composed into an ISO 9660/Joliet/UDF image file beside cp.
quiet() { exec "$@" >/dev/null; }  # tvo's report line would mix with the figures
quiet_all() { exec "$@" >/dev/null 2>&1; }  # and its progress lines
export -f quiet quiet_all
row "tarvo disc image" "$work/disc.iso" bash -c 'quiet "$@"' - "$tvo" disc-image "$data" "$work/disc.iso"
rm -f "$work/disc.iso"

# tvo report over a share of many PCs' archives (each a small data file and its record),
# as a file server would run it from cron.
report_count="${TARVO_BENCH_REPORT_ARCHIVES:-1000}"
python3 - "$work/share" "$report_count" <<'PY'
import os, random, sys, zipfile
share, count = sys.argv[1], int(sys.argv[2])
rnd = random.Random(7)
for i in range(count):
    pc, week = i // 10, i % 10
    folder = os.path.join(share, "PC-%03d" % pc)
    os.makedirs(folder, exist_ok=True)
    day = 1 + week * 2
    record = ("BackupComputer=PC-%03d\r\nBackupLogonUser=user%d\r\nBackupIdentity=Outlook\r\n"
              "BackupTime=11/%d/2026 9:30:00 PM\r\nOutlookversion=Outlook 2016\r\n"
              "BackupInformation=Automatic Backup\r\nBackupDatas=Outlook.pst\r\nBackupItem=01000000000\r\n"
              % (pc, pc, day))
    name = os.path.join(folder, "mvbox-Outlook-11-%02d-2026-21-30.tvo" % day)
    with zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("Outlook.pst", rnd.randbytes(16384 + 512 * week))
        z.writestr("mailvault.dat", record)
PY
read -r seconds kib _ <<<"$("$bench" measure bash -c 'quiet_all "$@"' - "$tvo" report "$work/share" --days 3650)" || true
awk -v n="$report_count" -v s="$seconds" -v k="$kib" \
  'BEGIN { printf "tvo report over %d archives: %.2f s, peak %.1f MiB\n", n, s, k / 1024 }'
read -r seconds kib _ <<<"$("$bench" measure bash -c 'quiet_all "$@"' - "$tvo" report "$work/share" --days 3650 --verify)" || true
awk -v n="$report_count" -v s="$seconds" -v k="$kib" \
  'BEGIN { printf "tvo report --verify over %d archives: %.2f s, peak %.1f MiB\n", n, s, k / 1024 }'
rm -rf "$work/share"

# Memory stays bounded whatever the size: a large sparse file (it compresses trivially).
sparse_gib="${TARVO_BENCH_SPARSE_GIB:-8}"
if [ "$sparse_gib" -gt 0 ]; then
  truncate -s "${sparse_gib}G" "$work/sparse.pst"
  rm -f "$data"
  bytes=$(stat -c %s "$work/sparse.pst")
  runs=1
  row "tarvo backup ${sparse_gib} GiB sparse" "$work/sparse.tvo" "$bench" backup "$work/sparse.pst" "$work/sparse.tvo" "" "$level"
  row "tarvo verify ${sparse_gib} GiB sparse" - "$bench" verify "$work/sparse.tvo"
  rm -f "$work/sparse.tvo"
  # The disc image's zeros are read and written in full.
  read -r seconds kib _ <<<"$("$bench" measure bash -c 'quiet "$@"' - "$tvo" disc-image "$work/sparse.pst" "$work/sparse.iso")"
  awk -v g="$sparse_gib" -v s="$seconds" -v k="$kib" \
    'BEGIN { printf "disc image of a %d GiB sparse file: %.1f MB/s, peak %.1f MiB\n", g, g * 1073741824 / s / 1e6, k / 1024 }'
  rm -f "$work/sparse.iso" "$work/sparse.pst"
fi

echo
awk -v p="$(seconds_of "tarvo backup plain")" -v a="$(seconds_of "tarvo backup AES-256")" \
  'BEGIN { printf "AES-256 backup time over plain: %+.1f %%\n", (a / p - 1) * 100 }'
ratio "tarvo backup plain" "7z a -tzip -mx=1"
ratio "tarvo backup plain (zlib)" "7z a -tzip -mx=1"
ratio "tarvo verify plain" "7z t plain"
ratio "tarvo verify AES-256" "7z t AES-256"
ratio "tvo extract plain" "7z x plain"
ratio "tvo extract AES-256" "7z x AES-256"
ratio "tarvo verify plain (zlib)" "7z t plain"
ratio "tvo extract plain (zlib)" "7z x plain"
ratio "tvo.exe restore plain (Wine)" "7z x plain"
awk -v c="$(seconds_of cp)" -v d="$(seconds_of "tarvo disc image")" \
  'BEGIN { printf "disc image speed over cp: %.2f x\n", c / d }'
