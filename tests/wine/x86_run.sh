#!/usr/bin/env bash
# Runs one Wine script test against the 32-bit tarvobk.exe and tvo.exe: the helper
# programs of the x64 build, the two programs users run from the x86 build (TARVO_X86_BIN).
#   x86_run.sh SCRIPT
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

x86="${TARVO_X86_BIN:?TARVO_X86_BIN is not set}"

# A kernel built without 32-bit support (no IA32 emulation) cannot start Wine's 32-bit
# loader at all, whatever is installed: then there is nothing to run here.
loader=/usr/lib/wine/wine
if [ -f "$loader" ]; then
  rc=0
  "$loader" --version >/dev/null 2>&1 || rc=$?
  if [ "$rc" = 126 ]; then
    echo "SKIPPED: this machine's kernel cannot run 32-bit programs ($loader: exec format error);" \
      "the x86 build is compiled and linked only"
    exit 0
  fi
fi
for exe in tarvobk.exe tvo.exe; do
  [ -f "$x86/$exe" ] || fail "$exe of the x86 build is missing from $x86 (build the windows-x86 preset)"
  kind="$(file -b "$x86/$exe")"
  [[ "$kind" == "PE32 executable"* ]] || fail "$x86/$exe is not a 32-bit Windows program: $kind"
done

bin="$(mktemp -d "${TMPDIR:-/tmp}/tarvo-x86-bin.XXXXXX")"
trap 'rm -rf "$bin"' EXIT
for f in "$TARVO_BIN"/*.exe "$TARVO_BIN"/*.dll; do [ -f "$f" ] && ln -s "$f" "$bin/$(basename "$f")"; done
# The Word stand-in is loaded into tarvobk.exe: it has to be 32-bit too.
[ -f "$x86/word_stub.dll" ] || fail "word_stub.dll of the x86 build is missing from $x86"
rm -f "$bin/tarvobk.exe" "$bin/tvo.exe" "$bin/word_stub.dll"
cp "$x86/tarvobk.exe" "$x86/tvo.exe" "$x86/word_stub.dll" "$bin/"

# Without Wine's 32-bit part every case would fail for a reason of its own: say so once.
probe="$("$TARVO_WINE" "$bin/tvo.exe" 2>&1 || true)"
if grep -qiE 'bad exe format|could not load|wine32 is missing|not a valid win32' <<<"$probe"; then
  fail "Wine cannot run 32-bit programs here (install wine32:i386, see scripts/setup.sh): $probe"
fi

TARVO_X86=1 TARVO_BIN="$bin" bash "$TARVO_SOURCE/tests/wine/$1"
