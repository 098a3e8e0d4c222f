#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`: clang, ASan, UBSan) and runs each for
# FUZZ_SECONDS (20 by default) from the seeds in tests/fuzz/corpus, after replaying every
# kept regression input in tests/fuzz/regressions. Zip seeds (plain, Zip64, WinZip AES,
# traditional encryption) are made here, not kept in the repository.
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh [TARGET...]
# New inputs go to build/fuzz/corpus/TARGET; a crash leaves its input in build/fuzz/crashes.
# Exits non-zero when a target failed; prints executions per target.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${FUZZ_SECONDS:-20}"
jobs="${TARVO_JOBS:-2}"
all=(reg_import_fuzz settings_fuzz record_fuzz autobackup_args_fuzz binary_path_fuzz zip_open_fuzz entry_name_fuzz
  disc_image_fuzz restore_plan_fuzz)
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=("${all[@]}")

cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j"$jobs" >/dev/null || {
  echo "fuzz: build failed" >&2
  exit 1
}
bin="$root/build/fuzz/tests/fuzz"
work="$root/build/fuzz"
mkdir -p "$work/crashes"
# The targets' scratch drives; a crashed target leaves its own behind.
export TMPDIR="$work/tmp"
rm -rf "$TMPDIR" && mkdir -p "$TMPDIR"
export LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# Zip seeds, made with the tools the tests already use as peers.
zip_seeds() {
  local out="$1" tmp
  tmp="$(mktemp -d)"
  printf 'BackupItem=01000000000\r\n' >"$tmp/mailvault.dat"
  head -c 3000 /dev/urandom >"$tmp/data.pst"
  printf 'hello hello hello hello\r\n' >"$tmp/Work.htm"
  (cd "$tmp" && zip -q -X "$out/plain.zip" mailvault.dat Work.htm data.pst)
  (cd "$tmp" && zip -q -X -P 'fuzz password' "$out/zipcrypto.zip" mailvault.dat Work.htm)
  (cd "$tmp" && 7z a -tzip -mem=AES256 -p'fuzz password' "$out/aes.zip" mailvault.dat Work.htm >/dev/null)
  python3 - "$out/zip64.zip" "$tmp" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for name in ("mailvault.dat", "Work.htm"):
        with open(f"{sys.argv[2]}/{name}", "rb") as f:
            z.writestr(zipfile.ZipInfo(name), f.read())
    with z.open("big.pst", "w", force_zip64=True) as f:
        f.write(b"!BDN" * 100)
PY
  rm -rf "$tmp"
}

# Disc image seeds: small images of every tree kind, made by an outside composer.
disc_seeds() {
  local out="$1" tmp
  tmp="$(mktemp -d)"
  mkdir -p "$tmp/tree/Sub folder"
  printf 'BackupItem=01000000000\r\n' >"$tmp/tree/mailvault.dat"
  printf 'inner' >"$tmp/tree/Sub folder/Long file name of the archive.tvo"
  genisoimage -quiet -o "$out/iso.iso" "$tmp/tree" 2>/dev/null
  genisoimage -quiet -J -o "$out/joliet.iso" "$tmp/tree" 2>/dev/null
  genisoimage -quiet -J -udf -o "$out/udf.iso" "$tmp/tree" 2>/dev/null
  rm -rf "$tmp"
}

failed=()
report=()
for t in "${targets[@]}"; do
  corpus="$work/corpus/$t"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/corpus/$t"
  extra=()
  if [ "$t" = zip_open_fuzz ]; then
    mkdir -p "$work/zip-seeds"
    zip_seeds "$work/zip-seeds"
    extra=("$work/zip-seeds")
  fi
  if [ "$t" = disc_image_fuzz ]; then
    mkdir -p "$work/disc-seeds"
    disc_seeds "$work/disc-seeds"
    extra=("$work/disc-seeds")
  fi
  regressions="$root/tests/fuzz/regressions/$t"
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    if ! "$bin/$t" -timeout=10 "$regressions"/* >"$work/$t.regressions.log" 2>&1; then
      echo "fuzz: $t fails a kept regression input; see $work/$t.regressions.log" >&2
      failed+=("$t")
      continue
    fi
  fi
  log="$work/$t.log"
  "$bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 -print_final_stats=1 \
    -artifact_prefix="$work/crashes/$t-" "$corpus" "$seeds" "${extra[@]}" >"$log" 2>&1
  rc=$?
  runs="$(grep -E '^stat::number_of_executed_units:' "$log" | tail -n 1 | awk '{print $2}')"
  report+=("$t: ${runs:-?} executions in ${seconds}s")
  if [ "$rc" != 0 ]; then
    echo "fuzz: $t failed (exit $rc); see $log and $work/crashes" >&2
    failed+=("$t")
  fi
done

printf '%s\n' "${report[@]}"
echo "fuzz targets: $((${#targets[@]} - ${#failed[@]})) clean, ${#failed[@]} failed"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: every target ran clean"
