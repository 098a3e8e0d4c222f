#!/usr/bin/env bash
# The Office probe through real COM: the test stand-in for "Word.Application.8" registered
# in the prefix answers the version the test chose and is told to quit; without it the
# probe reports that no object could be created.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

test_key='HKEY_CURRENT_USER\Software\TarvoTest\WordStub'
cleanup() {
  wine_run regsvr32 /s /u "$stub" >/dev/null 2>&1 || true
  reg_delete_tree "$test_key"
}
trap cleanup EXIT
cleanup

probe() {
  wine_bin office_probe.exe | tr -d '\r'
}

quit_count() {
  reg_query "$test_key" /v QuitCount | awk '/QuitCount/ { print $3 }'
}

expect_answer() {
  local want="$1" got
  got="$(probe)"
  [ "$got" = "$want" ] || fail "probe answered '$got', expected '$want'"
  echo "ok: $want"
}

expect_answer "no object"

wine_run regsvr32 /s "$stub" >/dev/null 2>&1 || fail "regsvr32 $stub"
expect_answer "version=14.0"
[ "$(quit_count)" = "0x1" ] || fail "Quit was not called once (QuitCount $(quit_count))"

wine_run reg add "$test_key" /v WordVersion /d 16.0 /f >/dev/null
expect_answer "version=16.0"
[ "$(quit_count)" = "0x2" ] || fail "Quit was not called on the second probe (QuitCount $(quit_count))"

got="$(TARVO_WORD_VERSION=15.0 wine_bin office_probe.exe | tr -d '\r')"
[ "$got" = "version=15.0" ] || fail "the environment's version was not taken: '$got'"
echo "ok: version=15.0 from the environment"

wine_run regsvr32 /s /u "$stub" >/dev/null 2>&1 || fail "regsvr32 /u $stub"
expect_answer "no object"
echo "office probe: all cases passed"
