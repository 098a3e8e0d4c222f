#!/usr/bin/env bash
# Runs a Windows program under Debian's 64-bit Wine; CTest's emulator for the Windows
# build. Uses $WINEPREFIX when set (scripts/test.sh sets a throwaway one).
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
wine="${TARVO_WINE_BIN:-/usr/lib/wine/wine64}"
[ -x "$wine" ] || wine="$(command -v wine64 || command -v wine)"
exec "$wine" "$@"
