#!/bin/bash
# quit-signals.sh -- Ctrl+C reaches the Windows programs as wine delivers it
# (SIGINT to the process becomes the console's CTRL_C_EVENT): ambler.exe
# closes with status 0 once its window is up, and ambler-replay.exe, cut
# short in a long run, exits with 130 after finishing its step, so its
# trace ends with a whole record.
. "$(dirname "$0")/common.sh" quit-signals

# Waits up to $2 tenths of a second for the command $1 to succeed.
await() {
    for _ in $(seq "$2"); do eval "$1" && return 0; sleep 0.1; done
    return 1
}

# Ends a program the check left running, and reaps it.
reap() { kill -KILL "$1" 2> /dev/null; wait "$1" 2> /dev/null; }

# The replay: interrupted once a few steps are traced.
"$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler-replay.exe" "$root/scenes/walk" \
    --steps 1000000 --trace "$work/trace" < /dev/null 2> "$work/replay.err" &
replay=$!
if await '[ "$(grep -c "" "$work/trace" 2> /dev/null)" -ge 5 ]' 600; then
    kill -INT "$replay"
    if await '! kill -0 "$replay" 2> /dev/null' 100; then
        wait "$replay"
        status=$?
        [ "$status" = 130 ] || fail "ambler-replay.exe exited with $status after Ctrl+C, not 130"
        [ "$(tail -c 1 "$work/trace" | od -An -c | tr -d ' ')" = '\n' ] ||
            fail "the trace ends inside a record"
    else
        fail "ambler-replay.exe still runs 10 s after Ctrl+C"
    fi
else
    fail "ambler-replay.exe traced no steps within a minute"
fi
reap "$replay"

# The program: interrupted once its window shows.
cp -r "$root/scenes/walk" "$work/walk"
(cd "$work/walk" && exec "$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler.exe" < /dev/null) &
program=$!
if await '[ -n "$(xdotool search --onlyvisible --pid "$program" 2> /dev/null)" ]' 600; then
    kill -INT "$program"
    if await '! kill -0 "$program" 2> /dev/null' 100; then
        wait "$program"
        status=$?
        [ "$status" = 0 ] || fail "ambler.exe exited with $status after Ctrl+C, not 0"
    else
        fail "ambler.exe still runs 10 s after Ctrl+C"
    fi
else
    fail "ambler.exe showed no window within a minute"
fi
reap "$program"
exit $failed
