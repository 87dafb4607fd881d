#!/usr/bin/env bash
# Sets the machine up, builds, and runs the installer's main job under Wine in
# a fresh private prefix: the demo package (the stand-in vendor package, padded
# to a realistic size) is served by a local nginx under its MD5, downloaded,
# verified and installed silently into the prefix's Program Files, with every
# status report printed. The window of the installer is shown on a private
# Xvfb (or your own display) and a screenshot of it lands in out/demo/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" >/dev/null || exit 1
build=${LUMORA_BUILD_DIR:-$root/build}
bin=$build/bin
out=$root/out/demo
mkdir -p "$out"

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
lumora_new_prefix
if [[ -z ${DISPLAY:-} ]]; then
  lumora_start_xvfb || exit 1
  export DISPLAY=$LUMORA_XDISPLAY
fi

# The demo download server.
LUMORA_DL_LIB_ONLY=1 source "$root/tests/services/download-servers.sh"
served=$(mktemp -d /tmp/lumora-demo.XXXXXX)
lumora_on_cleanup "rm -rf '$served'"
cp "$bin/fake_package.exe" "$served/Lumora_Setup.exe"
truncate -s 8M "$served/Lumora_Setup.exe"
md5=$(md5sum "$served/Lumora_Setup.exe" | cut -d' ' -f1)
mkdir -p "$served/$md5"
mv "$served/Lumora_Setup.exe" "$served/$md5/"
lumora_dl_start_nginx "$served" || exit 1
url="http://127.0.0.1:$LUMORA_NGINX_PORT/$md5/Lumora_Setup.exe"

# The install folder, and the demo package's script beside the path it is
# downloaded to (the stand-in package reads "<its own path>.script").
dir_win='C:\Program Files (x86)\Lumora'
dir_unix="$WINEPREFIX/drive_c/Program Files (x86)/Lumora"
bin_win="Z:${bin//\//\\}"
mkdir -p "$dir_unix"
# Backslashes: sed takes one level, the script's text escapes another.
sed -e "s|@DIR@|${dir_win//\\/\\\\\\\\}|g" -e "s|@BIN@|${bin_win//\\/\\\\}|g" "$root/tools/demo/package.script" \
  >"$dir_unix/__Package_Lumora.exe.script"

echo "[demo] package served at $url"
echo "[demo] downloading, verifying and installing into $dir_win (code<TAB>progress<TAB>text):"
wine "$bin/seqprobe.exe" "-downloadurl=$url" -downloadtype=1 "-dir=$dir_win" -inslang=zh_CN
status=$?
echo "[demo] sequence ended with $status (0: installed)"
echo "[demo] installed files:"
ls -l "$dir_unix"

echo "[demo] the installer window:"
wine "$bin/skinview.exe" mainWnd.xml -page=0 >/dev/null 2>&1 &
viewer=$!
sleep 4
import -display "$DISPLAY" -window root "$out/installer-window.png" 2>/dev/null && echo "[demo] screenshot: $out/installer-window.png"
kill "$viewer" 2>/dev/null
wait "$viewer" 2>/dev/null
wine "$bin/LumoraInstaller.exe" "$@"
exit "$status"
