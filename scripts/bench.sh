#!/usr/bin/env bash
# Backup benchmark: one generated data file (about half text-like, half random blocks)
# backed up by our zip component (plain and AES-256), copied with cp, and zipped by
# 7z -mx=1 and -mx=5; then the archives read back and checked by our reader and 7z t.
# Prints throughput (of the data file's bytes), peak memory and output size in one table;
# each row is the best of RUNS runs, so a busy machine disturbs it less. Then a disc image
# of the data file beside cp, and the peak memory of imaging a large sparse file.
#   scripts/bench.sh [MIB] [LEVEL]     (defaults: 1024 MiB, the component's own level)
#   TARVO_BENCH_RUNS=N                 (default 3)
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

data="$work/Outlook.pst"
"$bench" generate "$data" "$mib"
bytes=$(stat -c %s "$data")

# Reads the file once so that every run starts from the page cache.
cat "$data" >/dev/null

runs="${TARVO_BENCH_RUNS:-3}"
printf '%-22s %10s %12s %14s %8s\n' "run" "MB/s" "peak MiB" "output bytes" "ratio"
# row NAME OUTPUT COMMAND...: best time and highest peak of the runs; OUTPUT "-" for reads.
row() {
  local name="$1" out="$2"; shift 2
  local best="" peak=0 figures seconds kib size i
  for ((i = 0; i < runs; i++)); do
    [ "$out" = - ] || rm -f "$out"
    figures=$("$bench" measure "$@")
    read -r seconds kib <<<"$figures"
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then best="$seconds"; fi
    [ "$kib" -gt "$peak" ] && peak="$kib"
  done
  size=$([ "$out" = - ] && echo - || stat -c %s "$out")
  echo "$name $best" >>"$work/times"
  awk -v n="$name" -v b="$bytes" -v s="$best" -v k="$peak" -v o="$size" \
    'BEGIN { printf "%-22s %10.1f %12.1f", n, b / s / 1e6, k / 1024
             if (o == "-") printf " %14s %8s\n", "-", "-"; else printf " %14d %8.3f\n", o, o / b }'
}
seconds_of() { awk -v n="$1" '$1 " " $2 " " $3 == n { print $4 }' "$work/times"; }

row "cp" "$work/copy.pst" cp "$data" "$work/copy.pst"
row "tarvo backup plain" "$work/plain.tvo" "$bench" backup "$data" "$work/plain.tvo" "" "$level"
row "tarvo backup AES-256" "$work/aes.tvo" "$bench" backup "$data" "$work/aes.tvo" "bench-pw" "$level"
if command -v 7z >/dev/null; then
  row "7z a -tzip -mx=1" "$work/mx1.zip" 7z a -tzip -mx=1 -bd -bso0 "$work/mx1.zip" "$data"
  row "7z a -tzip -mx=5" "$work/mx5.zip" 7z a -tzip -mx=5 -bd -bso0 "$work/mx5.zip" "$data"
fi
row "tarvo verify plain" - "$bench" verify "$work/plain.tvo"
row "tarvo verify AES-256" - "$bench" verify "$work/aes.tvo" "bench-pw"
if command -v 7z >/dev/null; then
  row "7z t plain" - 7z t -bso0 "$work/plain.tvo"
  row "7z t AES-256" - 7z t -bso0 -pbench-pw "$work/aes.tvo"
fi
awk -v p="$(seconds_of "tarvo backup plain")" -v a="$(seconds_of "tarvo backup AES-256")" \
  'BEGIN { printf "AES-256 backup time over plain: %+.1f %%\n", (a / p - 1) * 100 }'

# Disc images: the data file composed into an ISO 9660/Joliet/UDF image file beside cp, and
# the peak memory of imaging a large sparse file (its zeros are read and written in full).
tvo="$build/src/tvo"
quiet() { exec "$@" >/dev/null; }  # tvo's report line would mix with the figures
export -f quiet
row "tarvo disc image" "$work/disc.iso" bash -c 'quiet "$@"' - "$tvo" disc-image "$data" "$work/disc.iso"
rm -f "$work/disc.iso"
awk -v c="$(awk '$1 == "cp" { print $2 }' "$work/times")" -v d="$(seconds_of "tarvo disc image")" \
  'BEGIN { printf "disc image speed over cp: %.2f x\n", c / d }'
sparse_gib="${TARVO_BENCH_SPARSE_GIB:-8}"
truncate -s "${sparse_gib}G" "$work/sparse.pst"
read -r seconds kib <<<"$("$bench" measure bash -c 'quiet "$@"' - "$tvo" disc-image "$work/sparse.pst" "$work/sparse.iso")"
awk -v g="$sparse_gib" -v s="$seconds" -v k="$kib" \
  'BEGIN { printf "disc image of a %d GiB sparse file: %.1f MB/s, peak %.1f MiB\n", g, g * 1073741824 / s / 1e6, k / 1024 }'
rm -f "$work/sparse.iso" "$work/sparse.pst"
