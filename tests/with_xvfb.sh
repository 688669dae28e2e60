#!/bin/bash
# Runs a command against a private Xvfb server on a free display number, so
# that tests running side by side never share a screen. Mesa renders on the
# CPU (llvmpipe) there.
#   tests/with_xvfb.sh COMMAND [ARGS...]
set -u
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
read -r -t 20 display_number <"$fifo"
rm -f "$fifo"
if [ -z "${display_number:-}" ]; then
    echo "with_xvfb: Xvfb did not start" >&2
    kill "$xvfb_pid" 2>/dev/null
    exit 2
fi
export DISPLAY=":$display_number"
export LIBGL_ALWAYS_SOFTWARE=1
"$@"
status=$?
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit $status
