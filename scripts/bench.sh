#!/usr/bin/env bash
# Backup benchmark: one generated data file (about half text-like, half random blocks)
# backed up by our zip component (plain and AES-256), copied with cp, and zipped by
# 7z -mx=1 and -mx=5. Prints throughput, peak memory and archive size in one table.
#   scripts/bench.sh [MIB] [LEVEL]     (defaults: 1024 MiB, the component's own level)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mib="${1:-1024}"
level="${2:-0}"
build="${TARVO_BENCH_BUILD:-$root/build/bench}"
work="$(mktemp -d "${TMPDIR:-/tmp}/tarvo-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF >/dev/null
cmake --build "$build" --target zip_bench -j2 >/dev/null
bench="$build/bench/zip_bench"

data="$work/Outlook.pst"
"$bench" generate "$data" "$mib"
bytes=$(stat -c %s "$data")

# Reads the file once so that every run starts from the page cache.
cat "$data" >/dev/null

printf '%-22s %10s %12s %14s %8s\n' "run" "MB/s" "peak MiB" "output bytes" "ratio"
row() {
  local name="$1" out="$2"; shift 2
  rm -f "$out"
  local figures seconds kib size
  figures=$("$bench" measure "$@")
  read -r seconds kib <<<"$figures"
  size=$(stat -c %s "$out")
  awk -v n="$name" -v b="$bytes" -v s="$seconds" -v k="$kib" -v o="$size" \
    'BEGIN { printf "%-22s %10.1f %12.1f %14d %8.3f\n", n, b / s / 1e6, k / 1024, o, o / b }'
}

row "cp" "$work/copy.pst" cp "$data" "$work/copy.pst"
row "tarvo backup plain" "$work/plain.tvo" "$bench" backup "$data" "$work/plain.tvo" "" "$level"
row "tarvo backup AES-256" "$work/aes.tvo" "$bench" backup "$data" "$work/aes.tvo" "bench-pw" "$level"
if command -v 7z >/dev/null; then
  row "7z a -tzip -mx=1" "$work/mx1.zip" 7z a -tzip -mx=1 -bd -bso0 "$work/mx1.zip" "$data"
  row "7z a -tzip -mx=5" "$work/mx5.zip" 7z a -tzip -mx=5 -bd -bso0 "$work/mx5.zip" "$data"
  7z t -pbench-pw -bso0 "$work/aes.tvo" && echo "7z t of the AES archive: OK"
fi
