#!/usr/bin/env bash
# The disc engine's IMAPI2 client against the stand-in recorder, registered in this
# throwaway prefix only and removed again afterwards.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

recorder_stub="$(win_path "$TARVO_BIN/recorder_stub.dll")"
cleanup() { wine_run regsvr32 /s /u "$recorder_stub" >/dev/null 2>&1 || true; }
trap cleanup EXIT

wine_run regsvr32 /s "$recorder_stub" >/dev/null 2>&1 || fail "regsvr32 $recorder_stub"
wine_bin recorder_tests.exe || fail "recorder_tests failed"
echo "recorder: all cases passed"
