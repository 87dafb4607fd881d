#!/usr/bin/env bash
# Sets the machine up, builds, and runs the installer's main job under Wine in
# a fresh private prefix. With no X display of your own, it runs on a private
# Xvfb and leaves a screenshot in out/demo/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" >/dev/null || exit 1
build=${LUMORA_BUILD_DIR:-$root/build}

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
lumora_new_prefix
if [[ -z ${DISPLAY:-} ]]; then
  lumora_start_xvfb || exit 1
  export DISPLAY=$LUMORA_XDISPLAY
fi
mkdir -p "$root/out/demo"

echo "[demo] starting LumoraInstaller.exe"
WINEDEBUG=-all wine "$build/bin/LumoraInstaller.exe" "$@"
status=$?
echo "[demo] LumoraInstaller.exe exited with $status"
exit "$status"
