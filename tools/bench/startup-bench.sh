#!/usr/bin/env bash
# Start-up and memory benchmark of the installer (goals are measured here,
# never in tests), all under one Wine prefix and one private Xvfb:
#   first-paint ratio   the time from process start to the first painted main
#                       window of LumoraInstaller.exe against minwindow.exe (the
#                       least program that shows and paints one window: the
#                       floor Wine sets), medians of alternating runs; both are
#                       started and watched by startprobe.exe the same way
#   peak working set    of LumoraInstaller.exe during a quick install of a
#                       256 MiB package from the local nginx (the demo's
#                       package, padded), clicked like a person would; median
#                       of a few installs on a clean prefix state
# Usage: bash tools/bench/startup-bench.sh
#   (LUMORA_BENCH_PAIRS=11, LUMORA_BENCH_INSTALLS=3, LUMORA_BENCH_SETTLE=1 second between runs)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export LUMORA_BUILD_DIR=${LUMORA_BUILD_DIR:-$root/build}
build=$LUMORA_BUILD_DIR
# A build folder configured before the benchmark tools existed learns of them here.
[[ -f $build/CMakeCache.txt ]] && cmake "$build" >/dev/null
LUMORA_BUILD_TARGETS="LumoraInstaller fake_package fake_uninstaller fake_product minwindow startprobe" \
  bash "$root/tools/build.sh" >/dev/null || exit 1
bin=$build/bin
pairs=${LUMORA_BENCH_PAIRS:-11}
settle=${LUMORA_BENCH_SETTLE:-1}
installs=${LUMORA_BENCH_INSTALLS:-3}

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
LUMORA_DL_LIB_ONLY=1
# shellcheck source=tests/services/download-servers.sh
source "$root/tests/services/download-servers.sh"
# shellcheck source=tools/demo/demo-lib.sh
source "$root/tools/demo/demo-lib.sh"

lumora_new_prefix
lumora_start_xvfb || exit 1
export DISPLAY=$LUMORA_XDISPLAY
lumora_demo_start_wine_services
work=$(mktemp -d /tmp/lumora-bench.XXXXXX)
lumora_on_cleanup "rm -rf '$work'"
lumora_demo_serve "$work" "$bin" 256M || exit 1
lumora_demo_script "$bin" "$work" || exit 1

probe=$bin/startprobe.exe
installer_win=$(lumora_demo_winpath "$bin/LumoraInstaller.exe")
minimal_win=$(lumora_demo_winpath "$bin/minwindow.exe")
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
# value KEY FILE: the number after "KEY=" in startprobe's output
value() { sed -n "s/^$1=//p" "$2" | tr -d '\r'; }

# first_paint NAME PROGRAM: milliseconds to PROGRAM's first painted window;
# its working set at that moment goes to $work/ws-NAME. Each run starts on a
# settled system: the one before has been gone a while (Wine and X finish
# tearing a process's windows down after it has ended).
first_paint() {
  local result=$work/paint.txt
  sleep "$settle"
  wine "$probe" -paint -timeout=60 "$2" </dev/null >"$result" 2>&1 || {
    echo "bench: startprobe failed: $(cat "$result")" >&2
    return 1
  }
  value peak_working_set "$result" >>"$work/ws-$1"
  value first_paint_ms "$result"
}

echo "first paint (${pairs} alternating pairs, after one warm-up run of each)" >&2
first_paint minimal "$minimal_win" >/dev/null && first_paint installer "$installer_win" >/dev/null || exit 1
rm -f "$work"/ws-*
installer_ms=()
minimal_ms=()
for ((i = 1; i <= pairs; i++)); do
  m=$(first_paint minimal "$minimal_win") || exit 1
  t=$(first_paint installer "$installer_win") || exit 1
  minimal_ms+=("$m")
  installer_ms+=("$t")
  echo "  pair $i: installer $t ms, minimal window $m ms" >&2
done

# One quick install as a user makes it, under startprobe; prints the
# installer's peak working set in bytes.
install_once() {
  local result=$work/install.txt pid window
  wine reg delete 'HKCU\Software\NorVoSoft\Lumora' /f </dev/null >/dev/null 2>&1
  rm -rf "$WINEPREFIX/drive_c/Program Files (x86)/Lumora" "$WINEPREFIX/drive_c/Program Files/Lumora"
  wine "$probe" -timeout=600 "$installer_win" "-downloadurl=$LUMORA_DEMO_URL" </dev/null >"$result" 2>&1 &
  pid=$!
  if ! window=$(lumora_demo_window 60) || ! lumora_demo_wait_page "$window" start 30 "$pid"; then
    echo "bench: the installer's start page did not show" >&2
    return 1
  fi
  lumora_demo_click "$window" "${LUMORA_DEMO_INSTALL_BUTTON[@]}"
  if ! lumora_demo_wait_page "$window" finish 300 "$pid"; then
    echo "bench: the install did not reach the finish page" >&2
    lumora_demo_shot "$window" "$work/failed.png"
    return 1
  fi
  lumora_demo_click "$window" "${LUMORA_DEMO_CLOSE_BUTTON[@]}"
  if ! lumora_demo_wait_exit "$pid" 30; then
    echo "bench: the installer did not end cleanly: $(cat "$result")" >&2
    return 1
  fi
  value peak_working_set "$result"
}

echo "peak working set during a quick install of 256 MiB ($installs installs)" >&2
peaks=()
for ((i = 1; i <= installs; i++)); do
  p=$(install_once) || exit 1
  peaks+=("$p")
  echo "  install $i: $(awk -v b="$p" 'BEGIN { printf "%.1f", b / 1048576 }') MiB" >&2
done

mi=$(median "${installer_ms[@]}")
mm=$(median "${minimal_ms[@]}")
# shellcheck disable=SC2046
ws_start=$(median $(cat "$work/ws-installer"))
# shellcheck disable=SC2046
ws_minimal=$(median $(cat "$work/ws-minimal"))
ws_install=$(median "${peaks[@]}")
mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
printf 'first paint: installer %.1f ms, minimal window %.1f ms (medians of %d pairs)\n' "$mi" "$mm" "$pairs"
printf 'first-paint/minimal-window time ratio: %.3f (goal <= 1.5)\n' "$(awk -v a="$mi" -v b="$mm" 'BEGIN { print a / b }')"
printf 'peak working set during a 256 MiB quick install: %s MiB (goal <= 40 MiB; median of %d)\n' "$(mb "$ws_install")" "$installs"
printf 'peak working set at first paint: installer %s MiB, minimal window %s MiB\n' "$(mb "$ws_start")" "$(mb "$ws_minimal")"
