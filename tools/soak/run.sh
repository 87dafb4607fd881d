#!/usr/bin/env bash
# The randomized fault soak of the download and install pipeline:
#   bash tools/soak/run.sh                    20 runs of each kind, a fresh seed
#   bash tools/soak/run.sh --runs 200         the long one
#   bash tools/soak/run.sh --seed S           repeats the soak of seed S
#   bash tools/soak/run.sh --seed S --only seq:7   repeats one run of it
#   bash tools/soak/run.sh --self-test ...    first shows that every check fires
# Other options: python3 tools/soak/soak.py --help. Builds what it needs, runs
# in a private Wine prefix with the soak server on a free loopback port, and
# stops everything it started. Bad runs are kept in out/soak/ (or
# $LUMORA_TEST_OUTPUT/soak). Exit status 1 when any bad count is not 0.
# LUMORA_SOAK_NO_BUILD=1 skips the build (the test runner has built already).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${LUMORA_BUILD_DIR:-$root/build}
bin=${LUMORA_BIN_DIR:-$build/bin}
if [[ ${LUMORA_SOAK_NO_BUILD:-} != 1 ]]; then
  log=$(mktemp)
  if ! LUMORA_BUILD_TARGETS="dlprobe seqprobe fake_package fake_uninstaller" bash "$root/tools/build.sh" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
fi

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
lumora_new_prefix
unset DISPLAY
export PYTHONDONTWRITEBYTECODE=1

work=$(mktemp -d /tmp/lumora-soak.XXXXXX)
lumora_on_cleanup "rm -rf '$work'"
mkdir -p "$work/served" "$work/runs"
# shellcheck source=tests/services/download-servers.sh
LUMORA_DL_LIB_ONLY=1 source "$root/tests/services/download-servers.sh"
lumora_dl_start_fault "$work/served" "$root/tools/soak/soak_server.py" || exit 1

# The private temporary folder, where the sequencer runs its copy of an old
# uninstaller (output into files: see wine-env.sh about pipes).
wine cmd /c 'echo %TEMP%' </dev/null >"$work/temp.txt" 2>/dev/null
winepath -u "$(tr -d '\r\n' <"$work/temp.txt")" </dev/null >"$work/temp-unix.txt" 2>/dev/null
temp=$(cat "$work/temp-unix.txt")
[[ -d $temp ]] || { echo "no temporary folder in the prefix ($temp)" >&2; exit 1; }

out=${LUMORA_TEST_OUTPUT:-$root/out}/soak
"$LUMORA_DL_PYTHON" "$root/tools/soak/soak.py" --port "$LUMORA_FAULT_PORT" --bin "$bin" --work "$work/runs" \
  --served "$work/served" --temp "$temp" --out "$out" "$@"
