#!/usr/bin/env bash
# Cross-builds the Windows build's libraries with Debian's mingw-w64 posix compilers,
# for x86_64 and i686, into build/deps/<triplet>:
#   - libzip from Debian's own source package: static, Windows CNG (bcrypt) crypto,
#     zlib from libz-mingw-w64-dev, no tools, tests or docs;
#   - GoogleTest from /usr/src/googletest;
#   - ISA-L (igzip and CRC only) from Debian's own libisal source package, with nasm,
#     static, for x86_64 only: its assembly is 64-bit, so the i686 build keeps zlib.
# Cached: a library whose stamp file exists is not built again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deps="${TARVO_DEPS_DIR:-$root/build/deps}"
jobs="${TARVO_JOBS:-2}"
mkdir -p "$deps/src" "$deps/work"

log() { echo "build-mingw-deps: $*" >&2; }

# Runs a step quietly, showing its output only when it fails.
quiet() {
  local out
  out="$(mktemp)"
  if ! "$@" >"$out" 2>&1; then
    cat "$out" >&2
    rm -f "$out"
    return 1
  fi
  rm -f "$out"
}

# Debian's source package NAME unpacked under $deps/src (fetched once); prints its folder.
debian_source() {
  local name="$1" dir
  dir="$(find "$deps/src" -maxdepth 1 -type d -name "$name-*" | sort | tail -n 1)"
  if [ -z "$dir" ]; then
    log "fetching Debian's $name source package"
    (cd "$deps/src" && quiet apt-get source -qq "$name")
    dir="$(find "$deps/src" -maxdepth 1 -type d -name "$name-*" | sort | tail -n 1)"
  fi
  [ -n "$dir" ] || { echo "build-mingw-deps: no $name source (is the deb-src entry there?)" >&2; return 1; }
  echo "$dir"
}

# The static libzip target names ZLIB::ZLIB without finding it; define it from the
# static zlib so consumers link without a DLL.
add_zlib_target() {
  local cfg="$1" zlib="$2" tmp
  grep -q 'ZLIB::ZLIB STATIC IMPORTED' "$cfg" && return 0
  tmp="$cfg.tmp"
  {
    echo "if(NOT TARGET ZLIB::ZLIB)"
    echo "  add_library(ZLIB::ZLIB STATIC IMPORTED)"
    echo "  set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION \"$zlib\")"
    echo "endif()"
    cat "$cfg"
  } >"$tmp"
  mv "$tmp" "$cfg"
}

# A library whose stamp exists is only reported; otherwise its build is announced and this
# returns 1 so that the caller builds it.
built_before() {
  local triplet="$1" name="$2" stamp="$3"
  if [ -f "$stamp" ]; then
    log "$triplet: $name already built"
    return 0
  fi
  log "$triplet: building $name"
  return 1
}

build_libzip() {
  local triplet="$1" toolchain="$2" prefix="$3" src="$4"
  local stamp="$prefix/.stamp-$(basename "$src")"
  built_before "$triplet" "$(basename "$src")" "$stamp" && return 0
  local work="$deps/work/libzip-$triplet"
  rm -rf "$work"
  quiet cmake -S "$src" -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_WINDOWS_CRYPTO=ON -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF \
    -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    -DZLIB_LIBRARY="/usr/$triplet/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$triplet/include"
  quiet cmake --build "$work" -j "$jobs"
  quiet cmake --install "$work"
  add_zlib_target "$prefix/lib/cmake/libzip/libzip-config.cmake" "/usr/$triplet/lib/libz.a"
  rm -rf "$work"
  touch "$stamp"
}

build_gtest() {
  local triplet="$1" toolchain="$2" prefix="$3"
  local version
  version="$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || echo unknown)"
  local stamp="$prefix/.stamp-googletest-$version"
  built_before "$triplet" "googletest $version" "$stamp" && return 0
  local work="$deps/work/googletest-$triplet"
  rm -rf "$work"
  # Windows threads: gtest needs no pthread library there.
  quiet cmake -S /usr/src/googletest -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON \
    -Dgtest_disable_pthreads=ON
  quiet cmake --build "$work" -j "$jobs"
  quiet cmake --install "$work"
  rm -rf "$work"
  touch "$stamp"
}

# Its own makefile knows mingw; installed as Debian lays it out (isa-l/*.h, libisal).
build_isal() {
  local prefix="$1" src="$2"
  local stamp="$prefix/.stamp-$(basename "$src")"
  built_before x86_64-w64-mingw32 "$(basename "$src")" "$stamp" && return 0
  local work="$deps/work/isal-x86_64"
  rm -rf "$work"
  cp -a "$src" "$work"
  quiet make -C "$work" -f Makefile.unx -j "$jobs" arch=mingw host_cpu=x86_64 AS=nasm \
    CC=x86_64-w64-mingw32-gcc-posix units="igzip crc" lib
  mkdir -p "$prefix/include/isa-l" "$prefix/lib"
  cp "$work"/include/*.h "$prefix/include/isa-l/"
  cp "$work/bin/isa-l.a" "$prefix/lib/libisal.a"
  rm -rf "$work"
  touch "$stamp"
}

src="$(debian_source libzip)"
isal_src="$(debian_source libisal)"
for arch in x86_64 i686; do
  triplet="$arch-w64-mingw32"
  toolchain="$root/cmake/toolchain-mingw-$arch.cmake"
  prefix="$deps/$triplet"
  mkdir -p "$prefix"
  build_libzip "$triplet" "$toolchain" "$prefix" "$src"
  build_gtest "$triplet" "$toolchain" "$prefix"
  [ "$arch" = i686 ] || build_isal "$prefix" "$isal_src"
done
log "done ($deps)"
