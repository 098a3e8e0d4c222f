#!/usr/bin/env bash
# Disc images made by the Windows tvo.exe under Wine, read back by the outside readers.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"
[ -f "$TARVO_BIN/tvo.exe" ] || fail "tvo.exe is not built in $TARVO_BIN"
exec /usr/bin/python3 "$TARVO_SOURCE/tests/disc/outside_readers_test.py" --wine "$TARVO_BIN/tvo.exe"
