#!/usr/bin/env bash
# The main job on the built-in demo environment: builds the Windows program, makes a
# throwaway Wine prefix holding an Outlook 2010-style profile (registry branch and data
# files) and shows it.
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
shared="$root/../shared/testdata/pst"
if [ -d "$shared" ]; then
  mkdir -p "$(host_path 'C:\mail')"
  cp "$shared/sample1-unicode.pst" "$(host_path 'C:\mail\Personal.pst')"
  cp "$shared/sample2-ansi.pst" "$(host_path 'C:\mail\Archive - 2010.pst')"
  chmod u+w "$(host_path 'C:\mail')"/*.pst
  echo "data files in C:\\mail:"
  ls -l "$(host_path 'C:\mail')"
fi
reg_query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows Messaging Subsystem\Profiles' /s
