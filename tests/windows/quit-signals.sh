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

# Sends the process $1 SIGINT at a moment when wine can deliver it. Wine's
# SIGINT handler starts the thread that runs the console's Ctrl+C handlers,
# on the thread the signal interrupts: the main one. Interrupted inside an
# allocation (the replay's drawing allocates all the time), that thread
# holds the allocator's lock, the new thread's stack waits for it, and the
# process hangs for good before any code of ours runs. (A user's Ctrl+C can
# meet the same fault.) So the process is stopped until its main thread is
# found waiting in the kernel on something other than memory: a futex, a
# read or write, a poll or a sleep, never inside an allocation.
interrupt_when_waiting() {
    local pid=$1 state call
    for _ in $(seq 500); do
        kill -STOP "$pid" 2> /dev/null || return
        for _ in $(seq 100); do
            state=$(cut -d')' -f2 "/proc/$pid/stat" 2> /dev/null | cut -d' ' -f2)
            [ "$state" = T ] || [ -z "$state" ] && break
            sleep 0.001
        done
        call=$(cut -d' ' -f1 "/proc/$pid/syscall" 2> /dev/null)
        case $call in
        0 | 1 | 7 | 23 | 35 | 47 | 202 | 230 | 232 | 270 | 271 | 281)  # x86-64 numbers
            kill -INT "$pid"
            kill -CONT "$pid"
            return ;;
        esac
        kill -CONT "$pid"
        sleep 0.01
    done
    kill -INT "$pid"  # never seen waiting: as a user would
}

# The replay: interrupted once a few steps are traced.
"$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler-replay.exe" "$root/scenes/walk" \
    --steps 1000000 --trace "$work/trace" < /dev/null 2> "$work/replay.err" &
replay=$!
if await 'lines=$(grep -c "" "$work/trace" 2> /dev/null); [ "${lines:-0}" -ge 5 ]' 600; then
    interrupt_when_waiting "$replay"
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
    interrupt_when_waiting "$program"
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
