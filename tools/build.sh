#!/usr/bin/env bash
# Sets the machine up (tools/bootstrap.sh) and cross-builds everything into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=$(bash "$root/tools/bootstrap.sh" | tail -n 1)
build=${LUMORA_BUILD_DIR:-$root/build}
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DLUMORA_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
# LUMORA_BUILD_TARGETS="a b" builds just those targets (work in progress elsewhere
# in the tree then cannot stop you).
targets=()
for t in ${LUMORA_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
