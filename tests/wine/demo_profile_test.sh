#!/usr/bin/env bash
# The demo profile imports into the prefix with the values the backup reads.
set -euo pipefail
source "$TARVO_SOURCE/tests/wine/lib.sh"

reg_delete_tree "$profiles"
trap 'reg_delete_tree "$profiles"' EXIT

reg_import "$TARVO_SOURCE/tests/wine/demo_profile.reg"

out="$(reg_query "$profiles\\Outlook" /s)" || fail "profile key missing after import"
grep -q 'Personal Folders' <<<"$out" || fail "service section missing"
grep -q '01020fff *REG_BINARY *00000000' <<<"$out" || fail "store entry ID missing"
grep -qi '00036601 *REG_DWORD *0x0' <<<"$out" || fail "dword missing"
grep -q 'POP3 Server *REG_SZ *pop.example.org' <<<"$out" || fail "account at the third level missing"
reg_query "$profiles" /v DefaultProfile | grep -q 'REG_SZ *Outlook' || fail "default profile value"

# The path helpers map both ways.
[ "$(host_path 'C:\mail\Personal.pst')" = "$WINEPREFIX/drive_c/mail/Personal.pst" ] || fail "host_path"
[ "$(win_path "$WINEPREFIX/drive_c/mail/Personal.pst")" = 'C:\mail\Personal.pst' ] || fail "win_path drive_c"
[ "$(win_path /tmp/x.reg)" = 'Z:\tmp\x.reg' ] || fail "win_path outside the prefix"
echo "demo profile: ok"
