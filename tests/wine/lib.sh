# Helpers for the Wine script tests; `source "$TARVO_SOURCE/tests/wine/lib.sh"`.
# Expects TARVO_WINE and TARVO_BIN (set by CTest) and WINEPREFIX (set by scripts/test.sh;
# Wine's own default ~/.wine otherwise).

: "${TARVO_WINE:?run this through ctest (TARVO_WINE is not set)}"
: "${WINEPREFIX:=$HOME/.wine}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A sample file of tests/data (TARVO_DATA): test_data pst/sample1-unicode.pst. A missing
# one fails the test loudly instead of testing nothing.
test_data() {
  local file="${TARVO_DATA:?TARVO_DATA is not set}/$1"
  [ -e "$file" ] || fail "test data $1 is missing from $TARVO_DATA"
  echo "$file"
}

# Runs a Windows program (a path, or a name Wine finds such as reg or cmd).
wine_run() {
  "$TARVO_WINE" "$@"
}

# Runs a program of the build's bin folder: wine_bin tvo.exe list x.tvo
wine_bin() {
  local exe="$1"
  shift
  [ -f "$TARVO_BIN/$exe" ] || fail "$exe is not built in $TARVO_BIN"
  "$TARVO_WINE" "$TARVO_BIN/$exe" "$@"
}

# C:\Users\x -> $WINEPREFIX/drive_c/Users/x (any drive letter, through dosdevices).
host_path() {
  local win="$1" letter rest
  letter="$(printf '%s' "${win:0:1}" | tr 'A-Z' 'a-z')"
  rest="${win:2}"
  rest="${rest//\\//}"
  if [ "$letter" = c ]; then
    printf '%s\n' "$WINEPREFIX/drive_c$rest"
  else
    printf '%s\n' "$WINEPREFIX/dosdevices/$letter:$rest"
  fi
}

# A host path as Windows programs see it: under drive_c it is C:\..., elsewhere Z:\...
win_path() {
  local path rest
  path="$(realpath -m "$1")"
  local drive_c
  drive_c="$(realpath -m "$WINEPREFIX/drive_c")"
  if [ "$path" = "$drive_c" ]; then
    printf 'C:\\\n'
    return
  fi
  if [ "${path#"$drive_c"/}" != "$path" ]; then
    rest="${path#"$drive_c"/}"
    printf 'C:\\%s\n' "${rest//\//\\}"
  else
    printf 'Z:%s\n' "${path//\//\\}"
  fi
}

# What the Outlook scenarios share: the profiles and Outlook 2010 options keys, the
# registry/record helper, and the in-process Word stand-in.
profiles='HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows Messaging Subsystem\Profiles'
options='HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Outlook\Options'
helper=(python3 "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/restore_helper.py")
stub="$(win_path "$TARVO_BIN/word_stub.dll")"

# The prefix user's profile folder, Windows form (C:\users\...).
user_profile_win() {
  wine_run cmd /c 'echo %USERPROFILE%' | tr -d '\r'
}

# Imports a .reg file (REGEDIT4 or version 5, ANSI or UTF-16) into the prefix.
reg_import() {
  [ -f "$1" ] || fail "no such .reg file: $1"
  "$TARVO_WINE" reg import "$(win_path "$1")" >/dev/null 2>&1 || fail "reg import $1"
}

# reg query with Unix line ends; the exit code is reg's (1 when the key or value is missing).
reg_query() {
  local out rc=0
  out="$("$TARVO_WINE" reg query "$@" 2>&1)" || rc=$?
  printf '%s\n' "$out" | tr -d '\r'
  return "$rc"
}

# Deletes a key and everything under it; quiet when it is not there.
reg_delete_tree() {
  "$TARVO_WINE" reg delete "$1" /f >/dev/null 2>&1 || true
}

# Writes a .reg file in UTF-16LE with BOM, as regedit does, from UTF-8 text on stdin.
write_reg_utf16() {
  { printf '\xFF\xFE'; sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$1"
}
