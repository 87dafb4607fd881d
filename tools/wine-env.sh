# Sourced by the runner and the demo: a private, fresh Wine prefix, Xvfb on
# demand, and clean-up of exactly what was started (by pid).
# shellcheck shell=bash

LUMORA_PIDS=()
LUMORA_CLEANUPS=()

# Wine takes its text and font handling from the host's locale: without a
# UTF-8 one (a fresh root shell often has none) Chinese text in some of the
# skins' fonts draws as empty boxes.
if [[ $(locale charmap 2>/dev/null) != UTF-8 ]]; then export LC_ALL=C.UTF-8; fi

lumora_cleanup() {
  local i
  for ((i = ${#LUMORA_CLEANUPS[@]} - 1; i >= 0; i--)); do eval "${LUMORA_CLEANUPS[i]}" || true; done
  if [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-} ]]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  local pid
  for pid in "${LUMORA_PIDS[@]}"; do
    kill "$pid" >/dev/null 2>&1 || true
    wait "$pid" >/dev/null 2>&1 || true
  done
  if [[ ${LUMORA_KEEP_PREFIX:-} != 1 && -n ${LUMORA_OWN_PREFIX:-} ]]; then rm -rf "$LUMORA_OWN_PREFIX"; fi
}

# Registers a shell command run at clean-up (last registered runs first).
lumora_on_cleanup() { LUMORA_CLEANUPS+=("$1"); }

lumora_new_prefix() {
  LUMORA_OWN_PREFIX=$(mktemp -d /tmp/lumora-wine.XXXXXX)
  export WINEPREFIX=$LUMORA_OWN_PREFIX
  export WINEDEBUG=-all
  # No Mono or Gecko: their installers would ask for the network.
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # The skins ask for 微软雅黑, which Wine lacks.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v '微软雅黑' /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wineserver -w
  # Keep one server for the whole run; each exe then starts in a fraction of a second.
  wineserver -f -p >/dev/null 2>&1 &
  LUMORA_PIDS+=($!)
}

# Our own Xvfb runs no window manager, and Wine waits a few seconds for one
# each time a managed window is hidden or destroyed; windows of the prefix are
# left unmanaged instead (they look the same without a manager). Wine's
# desktop starts with the first program of the prefix, so this one already
# runs on the display.
lumora_unmanaged_windows() {
  DISPLAY=$1 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

lumora_start_xvfb() {
  local n
  for n in $(seq 91 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    LUMORA_PIDS+=($!)
    export LUMORA_XDISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        lumora_unmanaged_windows ":$n"
        return 0
      fi
      sleep 0.1
    done
    echo "Xvfb :$n did not come up" >&2
    return 1
  done
  echo "no free X display number" >&2
  return 1
}
