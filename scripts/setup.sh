#!/usr/bin/env bash
# Installs everything the build and tests need on a fresh Debian 12 machine (run as root).
# Idempotent: packages already present are skipped, the cross-built libraries are cached
# under build/deps.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake g++ make ninja-build pkg-config dpkg-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
  wine64 wine32:i386 xvfb xauth x11-apps imagemagick file
  libzip-dev libssl-dev zlib1g-dev libisal-dev nasm googletest libgtest-dev p7zip-full unzip zip
  clang libclang-rt-14-dev
  fp-utils pff-tools nsis
  genisoimage xorriso udftools python3-pycdlib
  chromium
)

# Wine's 32-bit part runs the i686 build's tests; it comes from the i386 architecture.
need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  if [ "$(id -u)" = 0 ]; then
    echo "setup: adding the i386 architecture (for wine32)"
    dpkg --add-architecture i386
    need_update=1
  else
    echo "setup: not root; the i386 architecture (wine32) cannot be added" >&2
  fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Debian's own libzip and libisal sources are cross-built for mingw (scripts/build-mingw-deps.sh).
# The deb-src entry repeats the machine's own configured Debian sources, so no package
# host is named here.
src_list=/etc/apt/sources.list.d/tarvo-deb-src.sources
if [ ! -f "$src_list" ]; then
  if [ "$(id -u)" = 0 ]; then
    if bash "$here/scripts/deb-src-entries.sh" >"$src_list.tmp" && [ -s "$src_list.tmp" ]; then
      mv "$src_list.tmp" "$src_list"
      need_update=1
    else
      rm -f "$src_list.tmp"
      echo "setup: no Debian deb entry found in the apt sources; no deb-src entry added" >&2
    fi
  else
    echo "setup: not root; no deb-src entry added (needed only for a cold libzip or libisal build)" >&2
  fi
fi

if [ "${#missing[@]}" -gt 0 ] && [ "$(id -u)" != 0 ]; then
  echo "setup: missing packages ${missing[*]}; run this script as root" >&2
  exit 1
fi
if [ "${#missing[@]}" -gt 0 ] || [ "$need_update" = 1 ]; then
  echo "setup: apt-get update"
  apt-get update -qq
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

bash "$here/scripts/build-mingw-deps.sh"
