#!/usr/bin/env bash
# Sets the machine up, builds, and runs the whole test suite under Wine:
#   bash tools/run-tests.sh            every test
#   bash tools/run-tests.sh -R Config  ctest arguments pass through
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" || exit 1
build=${LUMORA_BUILD_DIR:-$root/build}

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap lumora_cleanup EXIT
lumora_new_prefix

if [[ $(ctest --test-dir "$build" -N -L display "$@" | sed -n 's/^Total Tests: //p') != 0 ]]; then
  lumora_start_xvfb || exit 1
fi
# Servers and other partners the tests talk to start here and register their
# clean-up. One that does not start stops the run: the suites that need it
# would otherwise skip or fail for a reason that is not theirs.
for service in "$root"/tests/services/*.sh; do
  [[ -f $service ]] || continue
  # shellcheck source=/dev/null
  if ! source "$service"; then
    echo "run-tests: $(basename "$service") did not start its servers; stopping the run" >&2
    exit 1
  fi
done

export LUMORA_TEST_OUTPUT=${LUMORA_TEST_OUTPUT:-$build/test-output}
mkdir -p "$LUMORA_TEST_OUTPUT"
log=$(mktemp)
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
rm -f "$log"
if [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
  failed=${BASH_REMATCH[1]}
  total=${BASH_REMATCH[2]}
  echo "$((total - failed)) passed, $failed failed"
else
  echo "0 passed, 0 failed"
  status=1
fi
exit "$status"
