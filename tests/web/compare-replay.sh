#!/bin/bash
# compare-replay.sh ARGS... -- stands in for ambler-replay in the passes that
# check a build drawn with our GL 1.1 layer (the browser build, and the
# layer natively over GLES2): runs $AMBLER_CANDIDATE_REPLAY with ARGS (its
# trace, shots, output and status are what the calling test sees) and the
# Linux build's ambler-replay on the same arguments and standard input into
# a folder of its own. The statuses must match and the traces agree
# (integers exactly, doubles to 1e-9 relative, the modelview to single
# precision), and so must their presented-frame traces; otherwise the
# status is 99, with the difference on stderr.
# Each compared trace adds a line to $AMBLER_TRACE_LOG.
#
# Environment: AMBLER_CANDIDATE_REPLAY (the command, split on spaces),
# AMBLER_LINUX_BIN (the Linux build's bin folder).
work=$(mktemp -d "${TMPDIR:-/tmp}/ambler-layer-XXXXXX")
trap 'rm -rf "$work"' EXIT
cat > "$work/stdin"

linux_args=()
candidate_args=()
trace=""
present=""
shot=0
while [ $# -gt 0 ]; do
    case $1 in
    --trace | --shot | --present-trace)
        if [ $# -lt 2 ] || { [ "$1" = --shot ] && [[ $2 != *:* ]]; }; then
            linux_args+=("$1")
            candidate_args+=("$1")
            shift
            continue
        fi ;;&
    --trace)
        trace=$2
        if [ "$2" = - ]; then linux_args+=(--trace -); else linux_args+=(--trace "$work/linux.trace"); fi
        candidate_args+=("$1" "$2")
        shift 2 ;;
    --present-trace)
        # Into a folder that cannot be written, both runs must fail alike.
        present=$2
        if [ "$2" = - ] || [ ! -d "$(dirname -- "$2")" ]; then linux_args+=("$1" "$2")
        else linux_args+=("$1" "$work/linux.present"); fi
        candidate_args+=("$1" "$2")
        shift 2 ;;
    --shot)
        shot=$((shot + 1))
        linux_args+=(--shot "${2%%:*}:$work/linux-$shot.png")
        candidate_args+=("$1" "$2")
        shift 2 ;;
    *)
        linux_args+=("$1")
        candidate_args+=("$1")
        shift ;;
    esac
done

# F12 writes into the scene folder: the Linux run takes a copy of it, so the
# candidate's screenshots are the only ones there.
events=""
for ((i = 0; i < ${#linux_args[@]}; i++)); do
    [ "${linux_args[i]}" = --events ] && events=${linux_args[i + 1]}
done
if [ -n "$events" ] && grep -qi 'f12' "$events" 2> /dev/null && [ -d "${linux_args[0]}" ]; then
    cp -r "${linux_args[0]}" "$work/scene"
    linux_args[0]=$work/scene
fi

"$AMBLER_LINUX_BIN/ambler-replay" "${linux_args[@]}" < "$work/stdin" > "$work/linux.out" \
    2> "$work/linux.err" &
linux=$!
read -r -a candidate <<< "$AMBLER_CANDIDATE_REPLAY"
"${candidate[@]}" "${candidate_args[@]}" < "$work/stdin" > "$work/candidate.out"
status=$?
wait "$linux"
linux_status=$?
cat "$work/candidate.out"

fail() {
    echo "compare-replay: $*" >&2
    [ -n "$AMBLER_TRACE_LOG" ] && echo "differ $* :: ${candidate_args[*]}" >> "$AMBLER_TRACE_LOG"
    exit 99
}
[ "$status" = "$linux_status" ] || fail "exit status $status, $linux_status on Linux"
if [ -n "$trace" ]; then
    if [ "$trace" = - ]; then a=$work/linux.out b=$work/candidate.out
    else a=$work/linux.trace b=$trace; fi
    if [ -f "$a" ] || [ -f "$b" ]; then
        diff=$("$AMBLER_LINUX_BIN/ambler-trace-compare" --float-modelview "$a" "$b" 2>&1) || fail "$diff"
        [ -n "$AMBLER_TRACE_LOG" ] && echo "equal :: ${candidate_args[*]}" >> "$AMBLER_TRACE_LOG"
    fi
fi
# The frames between the steps, to the same tolerances (on standard output,
# they were compared with the trace when it went there too).
if [ -n "$present" ] && [ "$status" = 0 ]; then
    if [ "$present" = - ]; then
        [ "$trace" = - ] || { a=$work/linux.out b=$work/candidate.out; }
    else a=$work/linux.present b=$present; fi
    if [ "$present" != - ] || [ "$trace" != - ]; then
        diff=$("$AMBLER_LINUX_BIN/ambler-trace-compare" --float-modelview "$a" "$b" 2>&1) || fail "frames: $diff"
        [ -n "$AMBLER_TRACE_LOG" ] && echo "equal frames :: ${candidate_args[*]}" >> "$AMBLER_TRACE_LOG"
    fi
fi
exit "$status"
