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
private_dir=$(mktemp -d "${TMPDIR:-/tmp}/ambler-display-XXXXXX") || exit 1
xvfb_pid="" wm_pid=""
finish() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2> /dev/null && wait "$wm_pid" 2> /dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null && wait "$xvfb_pid" 2> /dev/null
    rm -rf "$private_dir"
}
trap finish EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
fail() {
    echo "with-display: $*" >&2
    cat "$private_dir"/*.log >&2 2> /dev/null
    exit 1
}

# A cookie of our own: only this run's programs may connect. The server
# takes every cookie in the file; clients look theirs up by display number,
# which is known once the server has chosen a free one (-displayfd, which,
# unlike a guess by a wrapper, cannot race another server starting).
export XAUTHORITY=$private_dir/auth
: > "$XAUTHORITY"
auth_cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
xauth -q add :0 . "$auth_cookie" || fail "xauth cannot write $XAUTHORITY"
mkfifo "$private_dir/display"
Xvfb -displayfd 3 -auth "$XAUTHORITY" -nolisten tcp -screen 0 1280x1024x24 \
    "${xvfb_options[@]}" 3> "$private_dir/display" > "$private_dir/server.log" 2>&1 < /dev/null &
xvfb_pid=$!
read -r display_number < "$private_dir/display"  # written once the server takes connections
[ -n "$display_number" ] || fail "Xvfb did not start"
export DISPLAY=:$display_number AMBLER_PRIVATE_DISPLAY=:$display_number
xauth -q add "$DISPLAY" . "$auth_cookie" || fail "xauth cannot write $XAUTHORITY"

# openbox with its packaged settings only: an empty home, the system's
# configuration folders.
mkdir "$private_dir/home"
env -i PATH="$PATH" DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY" HOME="$private_dir/home" \
    openbox > "$private_dir/wm.log" 2>&1 < /dev/null &
wm_pid=$!
# The window manager is ready once it names its check window on the root;
# a test's window mapped before would be placed by no one.
for ((wm_wait = 0; ; wm_wait++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
    kill -0 "$wm_pid" 2> /dev/null || fail "openbox ended at its start"
    [ "$wm_wait" -lt 600 ] || fail "openbox did not take the screen within a minute"
    sleep 0.1
done

"$@"
