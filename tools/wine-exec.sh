#!/usr/bin/env bash
# Runs one Windows program under the test run's Wine prefix. Programs that need
# a display get the runner's Xvfb; the others get none, so a stray window
# cannot hang a console test.
if [[ ${LUMORA_NEEDS_DISPLAY:-} == 1 && -n ${LUMORA_XDISPLAY:-} ]]; then
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
