#!/bin/bash
# with-display.sh -- runs a command with an X display: the one already set,
# or a private Xvfb with a small EWMH window manager, as a desktop has.
if [ -n "$DISPLAY" ]; then exec "$@"; fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.05
    done
    "$@"
    status=$?
    kill $wm 2>/dev/null
    wait $wm 2>/dev/null
    exit $status' with-display "$@"
