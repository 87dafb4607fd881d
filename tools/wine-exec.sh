#!/usr/bin/env bash
# Runs one Windows program under the test run's Wine prefix. When the runner
# started Xvfb (because a selected test needs a display), every program gets
# it: Wine's desktop process starts with whichever program first touches the
# window system, and a desktop started without a display would leave the
# window tests with no way to draw.
if [[ -n ${LUMORA_XDISPLAY:-} ]]; then
  export DISPLAY=$LUMORA_XDISPLAY
else
  unset DISPLAY
fi
export WINEDEBUG=${WINEDEBUG:--all}
# Wine starts its services (rpcss, plugplay, ...) on demand from inside the
# program, and they inherit its output. Writing to a file instead of ctest's
# pipe keeps a long-lived service from holding the pipe open after the
# program has ended.
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit "$status"
