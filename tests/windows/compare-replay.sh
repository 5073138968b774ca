#!/bin/bash
# compare-replay.sh ARGS... -- stands in for ambler-replay in the Windows
# pass: runs ambler-replay.exe under wine with ARGS (its trace, shots,
# output and status are what the calling test sees), and the Linux build's
# ambler-replay on the same arguments and standard input into a folder of
# its own. The two traces must agree (integers exactly, doubles to 1e-9
# relative) and the statuses must match; otherwise the status is 99, with
# the difference on stderr. Each compared trace adds a line to
# $AMBLER_TRACE_LOG.
#
# Environment: AMBLER_LINUX_BIN, AMBLER_WINDOWS_BIN (the two bin folders),
# AMBLER_WINE_DISPLAY (the X display for wine, which tests may unset).
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$here/wine-diagnose.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/ambler-wine-XXXXXX")
trap 'rm -rf "$work"' EXIT
cat > "$work/stdin"

linux_args=()
trace=""
present=""
shot=0
while [ $# -gt 0 ]; do
    case $1 in
    --trace | --shot)
        if [ $# -lt 2 ] || { [ "$1" = --shot ] && [[ $2 != *:* ]]; }; then
            # A malformed option goes to both programs as it is.
            linux_args+=("$1")
            windows_args+=("$1")
            shift
            continue
        fi ;;&
    --trace)
        trace=$2
        if [ "$2" = - ]; then linux_args+=(--trace -); else linux_args+=(--trace "$work/linux.trace"); fi
        windows_args+=("$1" "$2")
        shift 2 ;;
    --present-trace)
        # A destination that cannot be written goes to both as it is.
        if [ $# -ge 2 ] && [ "$2" != - ] && [ -w "$(dirname "$2")" ]; then
            present=$2
            linux_args+=(--present-trace "$work/linux.present")
            windows_args+=("$1" "$2")
            shift 2
            continue
        fi
        linux_args+=("$1")
        windows_args+=("$1")
        shift ;;
    --shot)
        shot=$((shot + 1))
        linux_args+=(--shot "${2%%:*}:$work/linux-$shot.png")
        windows_args+=("$1" "$2")
        shift 2 ;;
    *)
        linux_args+=("$1")
        windows_args+=("$1")
        shift ;;
    esac
done

# F12 writes into the scene folder: the Linux run takes a copy of it, so the
# Windows program's screenshots are the only ones there.
events=""
for ((i = 0; i < ${#linux_args[@]}; i++)); do
    [ "${linux_args[i]}" = --events ] && events=${linux_args[i + 1]}
done
if [ -n "$events" ] && grep -qi 'f12' "$events" 2> /dev/null && [ -d "${linux_args[0]}" ]; then
    cp -r "${linux_args[0]}" "$work/scene"
    linux_args[0]=$work/scene
fi

# The two run side by side: most of a wine start is waiting, not work.
"$AMBLER_LINUX_BIN/ambler-replay" "${linux_args[@]}" < "$work/stdin" > "$work/linux.out" \
    2> "$work/linux.err" &
linux=$!
[ -n "$AMBLER_WINE_DISPLAY" ] && export DISPLAY=$AMBLER_WINE_DISPLAY
# Its stderr is kept to tell a silent end by wine from the program's own.
run_windows() {
    local status started=$(date +%s%N)
    server_before=$(wine_server_mark)
    "$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler-replay.exe" "${windows_args[@]}" \
        < "$work/stdin" > "$work/windows.out" 2> "$work/windows.err"
    status=$?
    windows_ms=$((($(date +%s%N) - started) / 1000000))
    cat "$work/windows.err" >&2
    return $status
}
run_windows
status=$?
# Wine's server gives a process that is ending only a moment before it kills
# it; on a loaded machine the GL driver's own clean-up at exit can take
# longer, and a run that wrote everything ends with SIGKILL (137). The
# program never ends itself that way and the replay is deterministic, so it
# runs once more; a second kill is reported as a difference.
if [ "$status" = 137 ]; then
    echo "compare-replay: wine killed ambler-replay.exe as it ended; running it again" >&2
    run_windows
    status=$?
fi
wait "$linux"
linux_status=$?
# ambler-replay says why whenever it ends with 1; wine does not.
if [ "$status" = 1 ] && [ ! -s "$work/windows.err" ] && [ ! -s "$work/windows.out" ] &&
    { [ -z "$trace" ] || [ "$trace" = - ] || [ ! -s "$trace" ]; }; then
    wine_silent_exit ambler-replay.exe "$windows_ms" "$server_before" \
        "$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler-replay.exe" \
        "${linux_args[@]//$work\/linux/$work/diagnosis}" < "$work/stdin"
fi
cat "$work/windows.out"

fail() {
    echo "compare-replay: $*" >&2
    [ -n "$AMBLER_TRACE_LOG" ] && echo "differ $* :: ${windows_args[*]}" >> "$AMBLER_TRACE_LOG"
    exit 99
}
[ "$status" = "$linux_status" ] || fail "exit status $status on Windows, $linux_status on Linux"
if [ -n "$trace" ]; then
    if [ "$trace" = - ]; then a=$work/linux.out b=$work/windows.out
    else a=$work/linux.trace b=$trace; fi
    if [ -f "$a" ] || [ -f "$b" ]; then
        diff=$("$AMBLER_LINUX_BIN/ambler-trace-compare" "$a" "$b" 2>&1) || fail "$diff"
        [ -n "$AMBLER_TRACE_LOG" ] && echo "equal :: ${windows_args[*]}" >> "$AMBLER_TRACE_LOG"
    fi
fi
# Frames between the steps are blended with each system's own sines and
# roots: they agree to the same tolerance as the steps.
if [ -n "$present" ] && { [ -f "$work/linux.present" ] || [ -f "$present" ]; }; then
    diff=$("$AMBLER_LINUX_BIN/ambler-trace-compare" "$work/linux.present" "$present" 2>&1) ||
        fail "presented frames: $diff"
fi
exit "$status"
