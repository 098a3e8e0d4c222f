#!/usr/bin/env bash
# Text seeded by Wine's own `reg import` (UTF-16 in the registry) reads back through
# Win32Registry as the right UTF-8; a conversion that only round-trips itself fails here.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

key='HKEY_CURRENT_USER\Software\TarvoTest\Seeded'
reg_delete_tree "$key"
tmp="$(mktemp -d)"
trap 'reg_delete_tree "$key"; rm -rf "$tmp"' EXIT

write_reg_utf16 "$tmp/seed.reg" <<REG
Windows Registry Editor Version 5.00

[$key]
"Plain"="Café ☕"
"Größe"="ü"
@="default"
"Multi"=hex(7):61,00,00,00,fc,00,00,00,00,00
"Expand"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00
"Bits"=dword:ffffffff
"Empty"=hex:

[$key\\Ünïcode]
REG
reg_import "$tmp/seed.reg"
reg_query "$key" /v Bits | grep -qi 'REG_DWORD *0xffffffff' || fail "seeding did not take"

rc=0
TARVO_SEEDED=1 wine_bin wine_tests.exe --gtest_filter='SeededByRegImport.*' >"$tmp/out" 2>&1 || rc=$?
tr -d '\r' <"$tmp/out"
[ "$rc" = 0 ] || fail "seeded test failed"
grep -q 'PASSED.*1 test' "$tmp/out" || fail "the seeded test did not run"
