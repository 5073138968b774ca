#!/bin/bash
# stdin-bounds.sh -- standard input from a pipe that never sends cannot hold
# the start of a Windows program: ambler-replay.exe behind a writer that
# stays silent for a minute finishes its step long before the writer ends
# (a second of silence ends the input).
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ambler-wine-stdin-XXXXXX")
[ -n "$AMBLER_WINE_DISPLAY" ] && export DISPLAY=$AMBLER_WINE_DISPLAY
LIMIT_S=30  # wine's start under load stays well inside; the writer lasts 60 s

mkfifo "$work/pipe"
sleep 60 > "$work/pipe" &
writer=$!
trap 'kill "$writer" 2> /dev/null; wait "$writer" 2> /dev/null; rm -rf "$work"' EXIT
start=$SECONDS
"$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler-replay.exe" "$root/scenes/walk" \
    --steps 1 --trace "$work/trace" < "$work/pipe" > /dev/null
status=$?
elapsed=$((SECONDS - start))
failed=0
[ "$status" = 0 ] || { echo "stdin-bounds: ambler-replay.exe exited with $status" >&2; failed=1; }
[ "$elapsed" -lt $LIMIT_S ] ||
    { echo "stdin-bounds: a silent pipe held the start for $elapsed s" >&2; failed=1; }
[ -s "$work/trace" ] || { echo "stdin-bounds: no trace" >&2; failed=1; }
echo "a silent pipe on standard input: done in $elapsed s"
exit $failed
