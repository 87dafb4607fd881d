#!/usr/bin/env bash
# Opens every skin (and every page of the main skin) with skinview under a
# private Xvfb and Wine prefix, and saves a screenshot of each into OUT_DIR
# (default build/skin-preview), for judging the artwork in place.
#   LUMORA_BUILD_DIR=... bash tools/skin/preview-skins.sh [OUT_DIR]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${LUMORA_BUILD_DIR:-$root/build}
out=${1:-$build/skin-preview}
viewer=$build/bin/skinview.exe
[[ -f $viewer ]] || { echo "no $viewer; build the skinview target first" >&2; exit 1; }
mkdir -p "$out"

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
lumora_new_prefix
lumora_start_xvfb || exit 1
export DISPLAY=$LUMORA_XDISPLAY

shot() {  # shot NAME ARGS...
  local name=$1
  shift
  wine "$viewer" "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 3
  import -display "$DISPLAY" -window root -crop 700x500+162+134 +repage "$out/$name.png"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  echo "$out/$name.png"
}

for page in 0 1 2 3; do shot "mainWnd-page$page" mainWnd.xml "-page=$page"; done
for skin in MessageBox1Wnd MessageBox2Wnd exitTipWnd NetworkTipWnd InstalledPathTipWnd; do
  shot "$skin" "$skin.xml"
done
