# Sourced by tools/demo.sh and tools/bench/startup-bench.sh, after
# tools/wine-env.sh and tests/services/download-servers.sh: the demo package
# served by the local nginx, and the installer's main window found, read and
# clicked like a person would (xdotool, ImageMagick).
#
# The demo package is the stand-in vendor package of the test tree. It follows
# the script the environment variable LUMORA_FAKE_SCRIPT names
# (tools/demo/package.script: progress over a few seconds, the product files,
# the keys a real package reports, then success), and writes "@INSTDIR@" as
# the folder the installer gave it, so any folder the user picks works.
# shellcheck shell=bash

lumora_demo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Places inside the 600x400 main window, from the main skin's layout (read by
# the scripts that source this file, as LUMORA_DEMO_URL is).
# shellcheck disable=SC2034
LUMORA_DEMO_INSTALL_BUTTON=(300 240)  # "defaultInstallBtn", (200,217)-(400,263)
# shellcheck disable=SC2034
LUMORA_DEMO_CLOSE_BUTTON=(574 24)     # "closebtn", (562,12)-(586,36)

lumora_demo_winpath() { echo "Z:${1//\//\\}"; }

# lumora_demo_serve DIR BIN SIZE [RATE]: BIN's stand-in package padded to SIZE
# bytes, served by nginx from DIR under its MD5 (at RATE bytes a second per
# connection when given, e.g. 4m); sets LUMORA_DEMO_URL.
lumora_demo_serve() {
  local dir=$1 bin=$2 size=$3 rate=${4:-} md5 extra=""
  mkdir -p "$dir/pkg"
  cp "$bin/fake_package.exe" "$dir/pkg/Lumora_Setup.exe" && truncate -s "$size" "$dir/pkg/Lumora_Setup.exe" || return 1
  md5=$(md5sum "$dir/pkg/Lumora_Setup.exe" | cut -d' ' -f1)
  mkdir -p "$dir/$md5"
  mv "$dir/pkg/Lumora_Setup.exe" "$dir/$md5/"
  [[ -n $rate ]] && extra="    location /$md5/ { limit_rate $rate; }"
  lumora_dl_start_nginx "$dir" "$extra" || return 1
  # shellcheck disable=SC2034
  LUMORA_DEMO_URL="http://127.0.0.1:$LUMORA_NGINX_PORT/$md5/Lumora_Setup.exe"
}

# lumora_demo_script BIN DIR: the demo package's script, with BIN as the
# folder of the product's stand-in files, written to DIR and named in
# LUMORA_FAKE_SCRIPT (the installer passes its environment to the package).
lumora_demo_script() {
  local bin_win
  bin_win=$(lumora_demo_winpath "$1")
  # sed reads one level of backslashes in the replacement.
  sed "s|@BIN@|${bin_win//\\/\\\\}|g" "$lumora_demo_dir/package.script" >"$2/package.script" || return 1
  LUMORA_FAKE_SCRIPT=$(lumora_demo_winpath "$2/package.script")
  export LUMORA_FAKE_SCRIPT
}

# Wine's first program in a prefix starts its services, which inherit that
# program's open files: started here with nothing open, no later command
# substitution or pipe is held open by them.
lumora_demo_start_wine_services() { wine cmd /c exit </dev/null >/dev/null 2>&1; }

# lumora_demo_window SECONDS: prints the id of the installer's visible main
# window (titled "Lumora") once there is one.
lumora_demo_window() {
  local deadline=$((SECONDS + $1)) id
  while ((SECONDS < deadline)); do
    id=$(xdotool search --onlyvisible --name '^Lumora$' 2>/dev/null | head -n 1)
    if [[ -n $id ]]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# lumora_demo_prompt: prints the id of a visible prompt ("消息框"), if one is up.
lumora_demo_prompt() {
  local id
  id=$(xdotool search --onlyvisible --name '^消息框$' 2>/dev/null | head -n 1)
  [[ -n $id ]] && echo "$id"
}

# lumora_demo_geometry ID: sets LUMORA_DEMO_X, _Y, _W, _H (screen position and size).
lumora_demo_geometry() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  LUMORA_DEMO_X=$(sed -n 's/^X=//p' <<<"$geometry")
  LUMORA_DEMO_Y=$(sed -n 's/^Y=//p' <<<"$geometry")
  LUMORA_DEMO_W=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
  LUMORA_DEMO_H=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
  [[ -n $LUMORA_DEMO_X && -n $LUMORA_DEMO_Y && -n $LUMORA_DEMO_W && -n $LUMORA_DEMO_H ]]
}

# lumora_demo_click ID X Y: a left click at (X,Y) inside the window.
lumora_demo_click() {
  lumora_demo_geometry "$1" || return 1
  xdotool mousemove $((LUMORA_DEMO_X + $2)) $((LUMORA_DEMO_Y + $3)) sleep 0.2 click 1
}

# lumora_demo_shot ID FILE: the window with its drop shadow, as on the screen.
lumora_demo_shot() {
  local margin=8
  lumora_demo_geometry "$1" || return 1
  import -display "$DISPLAY" -window root \
    -crop "$((LUMORA_DEMO_W + 2 * margin))x$((LUMORA_DEMO_H + 2 * margin))+$((LUMORA_DEMO_X - margin))+$((LUMORA_DEMO_Y - margin))" \
    +repage "$2" 2>/dev/null
}

# lumora_demo_page ID: the main page the window shows, told by a pixel only
# that page paints: "finish" (the green of the tick), "start" (the blue of
# "defaultInstallBtn"), "progress" (the track or fill of "installPrg", where
# the other pages show their light background), otherwise "other".
lumora_demo_page() {
  local shot pixels
  shot=$(mktemp /tmp/lumora-page.XXXXXX.png)
  if ! lumora_demo_geometry "$1" ||
    ! import -display "$DISPLAY" -window root -crop "600x400+$LUMORA_DEMO_X+$LUMORA_DEMO_Y" +repage "$shot" 2>/dev/null; then
    rm -f "$shot"
    echo other
    return
  fi
  local format="" at
  for at in 280,135 230,225 300,348; do
    format+="%[fx:int(255*p{$at}.r)] %[fx:int(255*p{$at}.g)] %[fx:int(255*p{$at}.b)] "
  done
  pixels=$(convert "$shot" -format "$format" info: 2>/dev/null)
  rm -f "$shot"
  local tr tg tb br bb pr  # red, green, blue of the tick; red, blue of the button; red of the bar
  read -r tr tg tb br _ bb pr _ _ <<<"$pixels"
  if [[ -z $pr ]]; then
    echo other
  elif ((tg > 150 && tr < 100 && tb < 160)); then
    echo finish
  elif ((bb > 200 && br < 120)); then
    echo start
  elif ((pr <= 232)); then
    echo progress
  else
    echo other
  fi
}

# lumora_demo_wait_page ID PAGE SECONDS PID: waits until the window shows
# PAGE. Returns 1 when it did not in time, 2 when a prompt came up instead,
# 3 when the process PID ended.
lumora_demo_wait_page() {
  local id=$1 page=$2 deadline=$((SECONDS + $3)) pid=$4
  while ((SECONDS < deadline)); do
    [[ $(lumora_demo_page "$id") == "$page" ]] && return 0
    lumora_demo_prompt >/dev/null && return 2
    kill -0 "$pid" 2>/dev/null || return 3
    sleep 0.3
  done
  return 1
}

# lumora_demo_wait_exit PID SECONDS: returns PID's exit status once it has
# ended, 124 when it has not within SECONDS.
lumora_demo_wait_exit() {
  local pid=$1 deadline=$((SECONDS + $2))
  while kill -0 "$pid" 2>/dev/null; do
    ((SECONDS < deadline)) || return 124
    sleep 0.2
  done
  wait "$pid"
}

# lumora_demo_records FILE: what `wine reg query` shows of the install records
# (written to FILE; Wine's line ends removed); prints the registered install
# folder as a host path, or nothing when none is registered.
lumora_demo_records() {
  local file=$1 path
  wine reg query 'HKCU\Software\NorVoSoft\Lumora' </dev/null >"$file.raw" 2>&1
  tr -d '\r' <"$file.raw" >"$file"
  rm -f "$file.raw"
  path=$(sed -n 's/^ *InstallPath *REG_SZ *//p' "$file")
  [[ -n $path ]] || return 0
  wine winepath -u "$path" </dev/null >"$file.path" 2>/dev/null
  tr -d '\r' <"$file.path"
  rm -f "$file.path"
}
