#!/bin/bash
# with-display.sh [--xvfb-option OPTION]... COMMAND [ARGS...] -- runs COMMAND
# on a private X display: Xvfb with the openbox window manager, as a fresh
# machine without a desktop has it. A desktop's display is never used, so a
# run sees the same server and window manager on every machine (and no
# test moves the pointer of someone's session). Called again under such a
# display, it reuses it, unless server options ask for one of their own
# (--xvfb-option -extension --xvfb-option GLX: a server without OpenGL).
xvfb_options=()
while [ "$1" = --xvfb-option ] && [ $# -ge 2 ]; do
    xvfb_options+=("$2")
    shift 2
done
if [ -n "$AMBLER_PRIVATE_DISPLAY" ] && [ "$AMBLER_PRIVATE_DISPLAY" = "$DISPLAY" ] &&
    [ ${#xvfb_options[@]} = 0 ]; then
    exec "$@"
fi

# Nothing of a desktop session may steer the command's programs elsewhere.
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY SDL_VIDEODRIVER
work=$(mktemp -d "${TMPDIR:-/tmp}/ambler-display-XXXXXX") || exit 1
server="" wm=""
finish() {
    [ -n "$wm" ] && kill "$wm" 2> /dev/null && wait "$wm" 2> /dev/null
    [ -n "$server" ] && kill "$server" 2> /dev/null && wait "$server" 2> /dev/null
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
fail() {
    echo "with-display: $*" >&2
    cat "$work"/*.log >&2 2> /dev/null
    exit 1
}

# A cookie of our own: only this run's programs may connect. The server
# takes every cookie in the file; clients look theirs up by display number,
# which is known once the server has chosen a free one (-displayfd, which,
# unlike a guess by a wrapper, cannot race another server starting).
export XAUTHORITY=$work/auth
: > "$XAUTHORITY"
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
xauth -q add :0 . "$cookie" || fail "xauth cannot write $XAUTHORITY"
mkfifo "$work/display"
Xvfb -displayfd 3 -auth "$XAUTHORITY" -nolisten tcp -screen 0 1280x1024x24 \
    "${xvfb_options[@]}" 3> "$work/display" > "$work/server.log" 2>&1 < /dev/null &
server=$!
read -r number < "$work/display"  # written once the server takes connections
[ -n "$number" ] || fail "Xvfb did not start"
export DISPLAY=:$number AMBLER_PRIVATE_DISPLAY=:$number
xauth -q add "$DISPLAY" . "$cookie" || fail "xauth cannot write $XAUTHORITY"

# openbox with its packaged settings only: an empty home, the system's
# configuration folders.
mkdir "$work/home"
env -i PATH="$PATH" DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY" HOME="$work/home" \
    openbox > "$work/wm.log" 2>&1 < /dev/null &
wm=$!
# The window manager is ready once it names its check window on the root;
# a test's window mapped before would be placed by no one.
for ((tenths = 0; ; tenths++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
    kill -0 "$wm" 2> /dev/null || fail "openbox ended at its start"
    [ "$tenths" -lt 600 ] || fail "openbox did not take the screen within a minute"
    sleep 0.1
done

"$@"
