#!/usr/bin/env bash
# Prepares a fresh Debian machine (as root) to build, test and demo the installer:
# host packages through apt, then the cross-built third-party libraries in a
# cache outside the clone, keyed by version so a second run does nothing.
set -euo pipefail

CACHE_ROOT=${LUMORA_DEPS_CACHE:-$HOME/.cache/lumora-deps}
DEPS_KEY=v1-curl7.88.1-jsoncpp1.9.5-pugixml1.13-7zip26.02
PREFIX=$CACHE_ROOT/$DEPS_KEY
STAMP=$PREFIX/.complete

log() { printf '[bootstrap] %s\n' "$*" >&2; }

HOST_PACKAGES=(
  cmake make dpkg-dev ca-certificates python3
  g++-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick 7zip nginx-light openssl
  fonts-wqy-microhei
)

missing_packages() {
  local p
  for p in "${HOST_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || echo "$p"
  done
}

enable_sources() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "enabling the i386 architecture"
    dpkg --add-architecture i386
  fi
  local src=/etc/apt/sources.list.d/debian-src.sources
  if [[ ! -f $src ]]; then
    log "adding a deb-src entry"
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src"
  fi
}

have_source_lists() { ls /var/lib/apt/lists/*_source_Sources* >/dev/null 2>&1; }

install_host_packages() {
  enable_sources
  local missing
  missing=$(missing_packages)
  # Package lists are refreshed only when something is to be installed or fetched.
  if [[ -n $missing ]] || { [[ ! -f $STAMP ]] && ! have_source_lists; }; then
    log "apt-get update"
    apt-get update -qq
  fi
  if [[ -n $missing ]]; then
    log "installing: $(echo $missing | tr '\n' ' ')"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
}

fetch_source() { # NAME -> prints the unpacked upstream folder
  local name=$1 work=$2
  mkdir -p "$work" && cd "$work"
  if ! ls -d */ >/dev/null 2>&1; then
    apt-get source -qq "$name" >/dev/null 2>&1 || apt-get source "$name" >&2
  fi
  ls -d "$work"/*/ | head -1
}

TOOLCHAIN_ARGS=()
cmake_cross() { # SRC BUILD extra args...
  local src=$1 bld=$2; shift 2
  cmake -S "$src" -B "$bld" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@" >/dev/null
  cmake --build "$bld" -j"$(nproc)" >/dev/null
  cmake --install "$bld" >/dev/null
}

build_curl() {
  local src; src=$(fetch_source curl "$WORK/curl")
  log "building libcurl (Schannel, zlib, static) and curl.exe"
  cmake_cross "$src" "$WORK/curl-build" -DBUILD_SHARED_LIBS=OFF -DCURL_USE_SCHANNEL=ON -DCURL_ZLIB=ON \
    -DCURL_DISABLE_LDAP=ON -DBUILD_TESTING=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF \
    -DUSE_LIBIDN2=OFF -DBUILD_CURL_EXE=ON -DCMAKE_EXE_LINKER_FLAGS=-static \
    -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include
}

build_jsoncpp() {
  local src; src=$(fetch_source libjsoncpp "$WORK/jsoncpp")
  log "building jsoncpp"
  cmake_cross "$src" "$WORK/jsoncpp-build" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF \
    -DJSONCPP_WITH_CMAKE_PACKAGE=OFF -DBUILD_OBJECT_LIBS=OFF
}

build_pugixml() {
  local src; src=$(fetch_source pugixml "$WORK/pugixml")
  log "building pugixml"
  cmake_cross "$src" "$WORK/pugixml-build" -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
    -DPUGIXML_WCHAR_MODE=OFF
}

build_lzma() {
  local src; src=$(fetch_source 7zip "$WORK/7zip")
  log "building the 7z reader library from the LZMA SDK's C code"
  local c=$src/C obj=$WORK/lzma-obj
  mkdir -p "$obj" "$PREFIX/include/lzma" "$PREFIX/lib"
  local files=(7zAlloc 7zArcIn 7zBuf 7zBuf2 7zCrc 7zCrcOpt 7zDec 7zFile 7zStream Bcj2 Bra Bra86 BraIA64
               CpuArch Delta Lzma2Dec LzmaDec Ppmd7 Ppmd7Dec)
  local f
  for f in "${files[@]}"; do
    [[ -f $c/$f.c ]] || continue
    i686-w64-mingw32-gcc-posix -O2 -c "$c/$f.c" -o "$obj/$f.o" -DZ7_PPMD_SUPPORT
  done
  i686-w64-mingw32-ar rcs "$PREFIX/lib/liblzma7z.a" "$obj"/*.o
  cp "$c"/*.h "$PREFIX/include/lzma/"
}

build_dependencies() {
  if [[ -f $STAMP ]]; then
    log "dependencies already built in $PREFIX"
    return
  fi
  WORK=$CACHE_ROOT/work-$DEPS_KEY
  rm -rf "$WORK" "$PREFIX"
  mkdir -p "$WORK" "$PREFIX"
  TOOLCHAIN=$(cd "$(dirname "$0")/.." && pwd)/cmake/mingw-i686.cmake
  build_curl
  build_jsoncpp
  build_pugixml
  build_lzma
  cp "$WORK/curl-build/src/curl.exe" "$PREFIX/bin/curl.exe" 2>/dev/null || true
  rm -rf "$WORK"
  touch "$STAMP"
  log "dependencies ready in $PREFIX"
}

main() {
  if [[ $(id -u) -ne 0 ]]; then
    log "run as root (apt installs are needed)"; exit 1
  fi
  install_host_packages
  build_dependencies
  echo "$PREFIX"
}

main "$@"
