#!/usr/bin/env bash
# `tvo report` from Windows: the share of several PCs' archives that the report tests make
# with the real backup code (dated in the past, a damaged archive, a stale PC, a protected
# one), read by tvo.exe under Wine; the rows and exit code as expected, the same CSV as the
# native tvo gives, and a screenshot of the HTML page in headless Chromium.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/tarvo-report.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share"
share="$(win_path "$work/share")"

TARVO_REPORT_TREE="$share" wine_bin report_tests.exe \
  --gtest_filter=ReportTest.OneRowPerComputerUserAndProfileWithItsStatus >"$work/gtest.log" 2>&1 ||
  { cat "$work/gtest.log"; fail "report_tests.exe"; }
[ -d "$work/share/PC-A" ] || fail "no share was written: $(ls "$work/share")"

rc=0
wine_bin tvo.exe report "$share" --csv "$(win_path "$work/wine.csv")" --html "$(win_path "$work/report.html")" \
  >"$work/wine.txt" 2>"$work/wine.err" || rc=$?
cat "$work/wine.txt"
[ "$rc" = 1 ] || fail "exit code $rc, not 1 (a stale and a damaged row): $(cat "$work/wine.err")"
statuses="$(python3 -c 'import csv, sys
print("".join(r[0] + " " + r[11] + ";" for r in list(csv.reader(open(sys.argv[1], newline="")))[1:]))' "$work/wine.csv")"
expected='? damaged;? ok;PC-A ok;PC-B stale;PC-D incomplete;PC-E stale;PC-F ok;'
[ "$statuses" = "$expected" ] || fail "rows: $statuses, expected $expected"
echo "ok: tvo.exe report rows and exit code"

# The native tool over the same folder gives the same rows (its paths are Z:\ as Wine's).
native="${TARVO_NATIVE_TVO:-$TARVO_SOURCE/build/native/src/tvo}"
if [ -x "$native" ]; then
  rc=0
  "$native" report "$work/share" --csv "$work/native.csv" >/dev/null 2>&1 || rc=$?
  [ "$rc" = 1 ] || fail "native exit code $rc"
  diff <(tr -d '\r' <"$work/native.csv") <(tr -d '\r' <"$work/wine.csv") || fail "native and Windows rows differ"
  echo "ok: the same rows as the native tvo"
else
  echo "SKIPPED: no native tvo at $native (cmake --build --preset native --target tvo); rows not compared"
fi

grep -q '<svg' "$work/report.html" || fail "the page has no chart"
if grep -qiE '<script|src=|href=' "$work/report.html"; then fail "the page needs outside files"; fi
chromium_bin="$(command -v chromium || true)"
if [ -z "$chromium_bin" ]; then
  echo "SKIPPED: chromium is not installed (scripts/setup.sh installs it); no screenshot of the report page"
else
  shots="$TARVO_BIN/../ui-screenshots"
  mkdir -p "$shots"
  rm -f "$shots/report_page.png"
  timeout 120 "$chromium_bin" --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1400,560 \
    --user-data-dir="$work/chromium" --screenshot="$shots/report_page.png" "file://$work/report.html" \
    >"$work/chromium.log" 2>&1 || { cat "$work/chromium.log"; fail "chromium"; }
  [ -s "$shots/report_page.png" ] || fail "no screenshot: $(cat "$work/chromium.log")"
  echo "ok: screenshot of the report page in $shots/report_page.png"
fi
echo "report: all cases passed"
