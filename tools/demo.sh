#!/usr/bin/env bash
# The installer itself, in one command: sets the machine up, builds, serves the
# demo package (the stand-in vendor package, 8 MiB, at 2 MiB/s so the download
# can be watched) from a local nginx under its MD5, and starts
# LumoraInstaller.exe under Wine in a fresh private prefix with -downloadurl=
# pointing there. Arguments are passed on to the installer.
#   With a display ($DISPLAY): you click and watch; the script waits for the
#   installer to end.
#   Without one: a private Xvfb; the script clicks the quick-install button,
#   waits for the finish page, saves a screenshot of every page it passed to
#   out/demo/ and closes the window with its close button.
# Then it lists the install folder and the registry's install records, and
# exits non-zero when the install did not succeed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMORA_BUILD_DIR:-$root/build}
bin=$build/bin
out=$root/out/demo
mkdir -p "$out"
rm -f "$out"/*.png

say() { printf '[demo] %s\n' "$*"; }

say "building (a fresh machine is set up first, which takes a while; build log: out/demo/build.log)"
if ! LUMORA_BUILD_TARGETS=${LUMORA_BUILD_TARGETS:-"LumoraInstaller fake_package fake_uninstaller fake_product"} \
  bash "$root/tools/build.sh" >"$out/build.log"; then
  tail -n 20 "$out/build.log"
  say "the build failed"
  exit 1
fi

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
LUMORA_DL_LIB_ONLY=1
# shellcheck source=tests/services/download-servers.sh
source "$root/tests/services/download-servers.sh"
# shellcheck source=tools/demo/demo-lib.sh
source "$root/tools/demo/demo-lib.sh"

say "preparing a fresh Wine prefix"
lumora_new_prefix
interactive=1
if [[ -z ${DISPLAY:-} ]]; then
  interactive=0
  lumora_start_xvfb || exit 1
  export DISPLAY=$LUMORA_XDISPLAY
fi
lumora_demo_start_wine_services

work=$(mktemp -d /tmp/lumora-demo.XXXXXX)
lumora_on_cleanup "rm -rf '$work'"
lumora_demo_serve "$work" "$bin" 8M 2m || exit 1
lumora_demo_script "$bin" "$work" || exit 1
say "package served at $LUMORA_DEMO_URL"

installer=("$bin/LumoraInstaller.exe" "-downloadurl=$LUMORA_DEMO_URL" "$@")
run_ok=1
if ((interactive)); then
  say "the installer is open on your display: click 立即安装 and watch; close it when it is done"
  wine "${installer[@]}" </dev/null >"$out/installer.log" 2>&1
  status=$?
  say "the installer ended with $status"
else
  # Every step is bounded; a step that fails leaves its screenshot and ends the run.
  shoot() { lumora_demo_shot "$window" "$out/$1" && say "screenshot: out/demo/$1"; }
  fail() {
    say "$1"
    prompt=$(lumora_demo_prompt)
    [[ -n $prompt ]] && lumora_demo_shot "$prompt" "$out/prompt.png" && say "the prompt that came up: out/demo/prompt.png"
    [[ -n ${window:-} ]] && shoot failed.png
    run_ok=0
  }
  wine "${installer[@]}" </dev/null >"$out/installer.log" 2>&1 &
  pid=$!
  status=""
  if ! window=$(lumora_demo_window 60); then
    fail "no installer window appeared within 60 s"
  elif ! lumora_demo_wait_page "$window" start 30 "$pid"; then
    fail "the start page did not show"
  else
    shoot 1-start.png
    say "clicking the quick-install button"
    lumora_demo_click "$window" "${LUMORA_DEMO_INSTALL_BUTTON[@]}"
    if ! lumora_demo_wait_page "$window" progress 30 "$pid"; then
      fail "the progress page did not show"
    else
      sleep 1 # the download, under way
      shoot 2-progress.png
      if ! lumora_demo_wait_page "$window" finish 180 "$pid"; then
        fail "the finish page did not show"
      else
        sleep 1 # the finish animation
        shoot 3-finish.png
        say "closing the window with its close button"
        lumora_demo_click "$window" "${LUMORA_DEMO_CLOSE_BUTTON[@]}"
      fi
    fi
  fi
  if ((run_ok)); then
    lumora_demo_wait_exit "$pid" 30
    status=$?
    if ((status == 124)); then
      say "the installer did not end within 30 s of its close button"
    else
      say "the installer ended with $status"
    fi
  fi
fi

folder=$(lumora_demo_records "$work/records.txt")
say "the registry (HKCU\\Software\\NorVoSoft\\Lumora) now holds:"
sed '/^$/d; s/^/    /' "$work/records.txt"
if [[ -n $folder && -d $folder ]]; then
  say "the product was installed into $folder:"
  ls -l "$folder"
  [[ ${LUMORA_KEEP_PREFIX:-} == 1 ]] || say "(the demo's Wine prefix goes when the demo ends; LUMORA_KEEP_PREFIX=1 keeps it)"
fi
if ((run_ok)) && [[ $status == 0 && -n $folder && -f $folder/lumora.exe ]]; then
  say "installed"
  exit 0
fi
say "the install did not succeed"
exit 1
