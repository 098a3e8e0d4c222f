#!/usr/bin/env bash
# Every test: set-up, the native build and its unit tests (sanitizers on), the fuzz
# targets for a few seconds each, the Windows x64 and x86 builds, and the x64 tests under
# Wine in a throwaway prefix.
# Prints CTest's summary of both runs; exits non-zero when anything failed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${TARVO_JOBS:-2}"
# The full run also takes the slow checks (a data file over 4 GiB through Zip64, a 1 GiB
# backup through the window).
export TARVO_SLOW_TESTS="${TARVO_SLOW_TESTS:-1}"
start=$(date +%s)
failed=()
passed_total=0
failed_total=0

step() { echo "== $* [$(($(date +%s) - start))s]"; }

# Adds a native CTest log's counts to the totals: there every GoogleTest case is a CTest
# test. A run that printed no summary (CTest or the build broke) counts as one failure.
count_native() {
  local line
  line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)"
  if [ -z "$line" ]; then
    echo "native: CTest printed no summary; counted as one failed test case"
    failed_total=$((failed_total + 1))
    return
  fi
  local bad all
  bad="$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")"
  all="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
  passed_total=$((passed_total + all - bad))
  failed_total=$((failed_total + bad))
}

# Adds the Wine run's test cases: under Wine a GoogleTest program is one CTest test, so its
# cases are read from the XML report it wrote; a program that crashed before writing one
# counts as one failed case, and each script test is one case.
count_wine() {
  local log="$1" xml_dir="$2" name status xml tests bad seen=0
  while read -r name status; do
    seen=$((seen + 1))
    xml="$xml_dir/$name.xml"
    if [ -f "$xml" ]; then
      tests="$(grep -m1 -oE '<testsuites tests="[0-9]+"' "$xml" | grep -oE '[0-9]+')"
      bad="$(grep -m1 -oE '<testsuites [^>]*failures="[0-9]+"' "$xml" | grep -oE 'failures="[0-9]+"' | grep -oE '[0-9]+')"
      if [ -n "$tests" ] && [ -n "$bad" ]; then
        if [ "$status" != Passed ] && [ "$bad" = 0 ]; then bad=1; fi  # cases passed, program failed
        passed_total=$((passed_total + tests - bad))
        failed_total=$((failed_total + bad))
        continue
      fi
    fi
    if [ "$status" = Passed ]; then
      passed_total=$((passed_total + 1))
    else
      failed_total=$((failed_total + 1))
    fi
  done < <(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) [ .]*(\*\*\*)?([A-Za-z]+).*/\1 \3/p' "$log")
  if [ "$seen" = 0 ]; then
    echo "Wine: CTest ran no test; counted as one failed test case"
    failed_total=$((failed_total + 1))
  fi
}

step "set-up"
bash scripts/setup.sh </dev/null || { echo "set-up failed" >&2; exit 1; }

logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT

# A build that fails still builds all it can (-k 0), and what was built is tested.
step "native: configure and build"
if cmake --preset native >"$logs/native-configure.log" 2>&1; then
  # A build that broke (a test program that crashed while its cases were listed, too)
  # counts as a failed case, since its cases never reach CTest.
  cmake --build --preset native -j "$jobs" -- -k 0 || { failed+=("native build"); failed_total=$((failed_total + 1)); }
  step "native: tests"
  ctest --preset native -j "$jobs" </dev/null 2>&1 | tee "$logs/native-ctest.log"
  [ "${PIPESTATUS[0]}" = 0 ] || failed+=("native tests")
  count_native "$logs/native-ctest.log"
else
  cat "$logs/native-configure.log"
  failed+=("native configure")
  failed_total=$((failed_total + 1))
fi

# Every parser of outside input under libFuzzer for a short, bounded time; each target
# counts as one test case.
step "fuzz: ${FUZZ_SECONDS:-10} s per target"
FUZZ_SECONDS="${FUZZ_SECONDS:-10}" bash scripts/fuzz.sh </dev/null 2>&1 | tee "$logs/fuzz.log"
[ "${PIPESTATUS[0]}" = 0 ] || failed+=("fuzz")
fuzz_line="$(grep -E '^fuzz targets: [0-9]+ clean, [0-9]+ failed' "$logs/fuzz.log" | tail -n 1)"
if [ -n "$fuzz_line" ]; then
  passed_total=$((passed_total + $(sed -E 's/^fuzz targets: ([0-9]+) clean.*/\1/' <<<"$fuzz_line")))
  failed_total=$((failed_total + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$fuzz_line")))
else
  failed_total=$((failed_total + 1))  # the fuzz build broke: no target ran
fi

for preset in windows-x64 windows-x86; do
  step "$preset: configure and build"
  if cmake --preset "$preset" >"$logs/$preset-configure.log" 2>&1; then
    cmake --build --preset "$preset" -j "$jobs" -- -k 0 || { failed+=("$preset build"); failed_total=$((failed_total + 1)); }
  else
    cat "$logs/$preset-configure.log"
    failed+=("$preset configure")
  fi
done

step "windows-x64: tests under Wine (last, the windows-x86 tarvobk.exe and tvo.exe: tests/wine/x86)"
# One virtual display for the prefix and all its tests: Wine's desktop keeps the display it
# was started with, so the prefix is made under it too. Big and deep enough for the UI
# test's screenshots at 150 %.
mkdir -p "$logs/wine-xml"
export GTEST_OUTPUT="xml:Z:${logs//\//\\}\\wine-xml\\"
xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
  source scripts/wine-prefix.sh
  trap wine_prefix_stop EXIT
  wine_prefix_start || exit 99
  ctest --preset windows-x64 </dev/null' 2>&1 | tee "$logs/wine-ctest.log"
case "${PIPESTATUS[0]}" in
  0) ;;
  99) failed+=("Wine prefix") ;;
  *) failed+=("Wine tests") ;;
esac
count_wine "$logs/wine-ctest.log" "$logs/wine-xml"

step "done"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
fi
echo "counted in test cases: each native GoogleTest case, each fuzz target, each case of the GoogleTest programs under Wine, each Wine script test"
echo "total: $passed_total passed, $failed_total failed"
[ "${#failed[@]}" = 0 ]
