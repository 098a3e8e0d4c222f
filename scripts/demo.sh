#!/usr/bin/env bash
# The main job on the built-in demo environment: builds the Windows program, makes a
# throwaway Wine prefix holding an Outlook 2010-style profile (registry branch, generated
# data files, signatures, stationery, templates, contacts, rules, options), runs an
# unattended password-protected backup of every item with the real tarvobk.exe, and
# prints the archive's entries and its information record.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${TARVO_JOBS:-2}"

bash scripts/setup.sh </dev/null
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$jobs"

source scripts/wine-prefix.sh
trap wine_prefix_stop EXIT
wine_prefix_start
export TARVO_WINE="$root/scripts/wine-run.sh" TARVO_BIN="$root/build/windows-x64/bin"
source tests/wine/lib.sh

echo "== demo Outlook profile in $WINEPREFIX"
reg_import tests/wine/demo_profile.reg
# Generated data files: a PST-like header, then text-like and random blocks.
make_data_file() {
  local out="$1" blocks="$2" i
  {
    printf '!BDN'
    for ((i = 0; i < blocks; i++)); do
      if ((i % 2)); then head -c 65536 /dev/urandom; else head -c 65536 < <(yes "Subject: demo message $i, quarterly figures attached"); fi
    done
  } >"$out"
}
mail="$(host_path 'C:\mail')"
mkdir -p "$mail"
make_data_file "$mail/Personal.pst" 64
make_data_file "$mail/Archive - 2010.pst" 16
make_data_file "$mail/Contacts.pab" 1
echo "data files in C:\\mail:"
ls -l "$mail"

# Outlook 2010 as the word processor answers, its options and shared stationery folder.
"$TARVO_WINE" regsvr32 /s "$stub" >/dev/null 2>&1 || echo "(no Office probe stand-in)"
cat >"$WINEPREFIX/demo-extra.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Outlook\Options\Mail]
"EditorPreference"=dword:00020001
"Signature"="Demo"

[HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Outlook\Options\Calendar]
"WorkDay"=dword:0000007c

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools]
"SharedFilesDir"="C:\\Program Files\\Common Files\\Microsoft Shared\\"
EOF
reg_import "$WINEPREFIX/demo-extra.reg"

up="$(host_path "$("$TARVO_WINE" cmd /c 'echo %USERPROFILE%' | tr -d '\r')")"
roaming="$up/AppData/Roaming/Microsoft"
stationery="$(host_path 'C:\Program Files\Common Files\Microsoft Shared\Stationery')"
mkdir -p "$roaming/Signatures" "$roaming/Templates" "$roaming/Outlook" "$up/Contacts" "$stationery"
printf '<html><body>Demo User<br>demo@example.org</body></html>' >"$roaming/Signatures/Demo.htm"
printf 'Demo User\r\ndemo@example.org\r\n' >"$roaming/Signatures/Demo.txt"
printf '<html><body style="background: beige"></body></html>' >"$stationery/Beige.htm"
head -c 8192 /dev/urandom >"$roaming/Templates/Weekly Report.oft"
head -c 2048 /dev/urandom >"$roaming/Outlook/Outlook.RWZ"
printf '<views/>' >"$roaming/Outlook/views.xml"
printf 'BEGIN:VCARD\r\nFN:Anna Example\r\nEND:VCARD\r\n' >"$up/Contacts/Anna Example.contact"

reg_query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows Messaging Subsystem\Profiles' /s

# The program as installed, with its preferences: a fixed archive name.
prog="$(host_path 'C:\Program Files\Tarvo')"
mkdir -p "$prog" "$(host_path 'C:\Backups')"
cp "$TARVO_BIN/tarvobk.exe" "$prog/"
printf '[autobackup]\r\nautobackupfile=0\r\n' >"$prog/settings.dat"

password=demo-secret
archive_win='C:\Backups\mvbox-Outlook.tvo'
echo
args="sf=Outlookxm=111111111ps=${password}bf=$archive_win"
echo "== unattended backup: tarvobk.exe $args"
"$TARVO_WINE" "$prog/tarvobk.exe" "$args"
archive="$(host_path "$archive_win")"
[ -f "$archive" ] || { echo "no archive was written" >&2; exit 1; }

echo
echo "== entries of $archive_win"
7z l -p"$password" "$archive" | sed -n '/^   Date/,$p'
echo
echo "== information record (mailvault.dat)"
7z e -so -p"$password" "$archive" mailvault.dat | tr -d '\r'
echo
7z t -p"$password" "$archive" | grep -E '^(Everything is Ok|Files:|Size:)'
