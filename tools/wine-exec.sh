#!/usr/bin/env bash
# Runs one Windows program under the test run's Wine prefix. When the runner
# started Xvfb (because a selected test needs a display), every program gets
# it: Wine's desktop process starts with whichever program first touches the
# window system, and a desktop started without a display would leave the
# window tests with no way to draw.
#
# A test program must not pass by accident: it runs under its own time limit,
# a little shorter than ctest's (LUMORA_TEST_TIMEOUT, set by lumora_add_test),
# so a hang prints what the program wrote so far and fails here instead of
# being cut off silently by ctest; and a GoogleTest program that ends without
# its closing summary has not run all its tests, whatever its exit code says.
if [[ -n ${LUMORA_XDISPLAY:-} ]]; then
  export DISPLAY=$LUMORA_XDISPLAY
else
  unset DISPLAY
fi
export WINEDEBUG=${WINEDEBUG:--all}

limit=${LUMORA_TEST_TIMEOUT:-0}
own_limit=0
if [[ $limit =~ ^[0-9]+$ ]] && ((limit > 0)); then
  margin=$((limit / 10))
  ((margin < 10)) && margin=10
  own_limit=$((limit - margin))
  ((own_limit < 1)) && own_limit=1
fi

# Wine starts its services (rpcss, plugplay, ...) on demand from inside the
# program, and they inherit its output. Writing to a file instead of ctest's
# pipe keeps a long-lived service from holding the pipe open after the
# program has ended.
out=$(mktemp)
if ((own_limit > 0)); then
  timeout --kill-after=10 "${own_limit}s" wine "$@" >"$out" 2>&1 </dev/null
else
  wine "$@" >"$out" 2>&1 </dev/null
fi
status=$?
cat "$out"

program=$(basename "${1:-program}")
if ((own_limit > 0)) && ((status == 124 || status == 137)); then
  echo "wine-exec: $program did not end within ${own_limit} s and was stopped; the output above is all it wrote" >&2
  status=124
elif ((status == 0)) && [[ " $* " == *" --gtest"* ]] &&
  ! grep -qE '^\[==========\] [0-9]+ tests? from [0-9]+ test (suites?|cases?) ran\.' "$out"; then
  # Seen under Wine: a page fault on a worker thread ends the program with 0.
  reason="exited with 0 before printing its test summary"
  grep -qE '^(wine: Unhandled|Unhandled exception:)' "$out" && reason="ended by an unhandled exception"
  echo "wine-exec: $program $reason" >&2
  status=1
fi
rm -f "$out"
exit "$status"
