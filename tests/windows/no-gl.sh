#!/bin/bash
# no-gl.sh -- ambler.exe where no OpenGL pixel format exists (an X server
# without GLX): a box captioned "Error" says so, and once it is closed the
# program ends with status 1. The pass's wine server is stopped first and
# started again after, since its desktop belongs to the pass's display.
. "$(dirname "$0")/common.sh" no-gl
bash "$(dirname "$0")/wine-server.sh" stop
cp -r "$root/scenes/walk" "$work/walk"
export root work AMBLER_WINDOWS_BIN
bash "$root/tools/with-display.sh" --xvfb-option -extension --xvfb-option GLX bash -c '
    cd "$work/walk" || exit 1
    "$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler.exe" < /dev/null 2> "$work/stderr" &
    program=$!
    for _ in $(seq 600); do
        box=$(xdotool search --onlyvisible --name "^Error\$" 2> /dev/null | head -1)
        [ -n "$box" ] && break
        kill -0 $program 2> /dev/null || break
        sleep 0.1
    done
    [ -n "$box" ] || { echo "no-gl: no box captioned Error within a minute" >&2; kill $program; exit 1; }
    kill -0 $program 2> /dev/null || { echo "no-gl: the program ended with its box open" >&2; exit 1; }
    # The box takes its keys some time after it shows (longer on a loaded
    # machine): Return again until it goes.
    for _ in $(seq 60); do
        xdotool key --window "$box" Return 2> /dev/null
        sleep 0.5
        [ -z "$(xdotool search --onlyvisible --name "^Error\$" 2> /dev/null)" ] && break
    done
    [ -z "$(xdotool search --onlyvisible --name "^Error\$" 2> /dev/null)" ] ||
        echo "no-gl: the box stayed through 30 s of Return" >&2
    for _ in $(seq 100); do kill -0 $program 2> /dev/null || break; sleep 0.1; done
    kill -0 $program 2> /dev/null && { echo "no-gl: still running after the box closed" >&2; kill $program; }
    wait $program
    echo $? > "$work/status"'
bash "$(dirname "$0")/wine-server.sh"
status=$(cat "$work/status" 2> /dev/null)
[ "$status" = 1 ] || fail "ambler.exe without OpenGL ended with status '${status}', not 1"
grep -q "No OpenGL pixel format is available" "$work/stderr" ||
    fail "no word of the missing pixel format on stderr: $(head -c 300 "$work/stderr")"
exit $failed
