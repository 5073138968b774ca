#!/bin/bash
# compare-check.sh ARGS... -- stands in for ambler-check in the Windows
# pass: runs ambler-check.exe under wine (what the calling test sees) and
# the Linux build's ambler-check with the same arguments and input; their
# output (the FILE:LINE:COLUMN reports) and exit status must be the same,
# or the status is 99 with the difference on stderr. Written files
# (--decode) are the Windows program's.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$here/wine-diagnose.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/ambler-wine-XXXXXX")
trap 'rm -rf "$work"' EXIT
cat > "$work/stdin"

# The two run side by side, as most of a wine start is waiting, not work;
# one after the other when both write a file, so the Windows one stays.
"$AMBLER_LINUX_BIN/ambler-check" "$@" < "$work/stdin" > "$work/linux.out" 2>&1 &
linux=$!
linux_status=""
if [[ " $* " == *" --decode "* ]]; then wait "$linux"; linux_status=$?; fi
[ -n "$AMBLER_WINE_DISPLAY" ] && export DISPLAY=$AMBLER_WINE_DISPLAY
server_before=$(wine_server_mark)
started=$(date +%s%N)
"$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler-check.exe" "$@" < "$work/stdin" \
    > "$work/windows.out" 2>&1
status=$?
windows_ms=$((($(date +%s%N) - started) / 1000000))
if [ -z "$linux_status" ]; then wait "$linux"; linux_status=$?; fi
# Status 1 is ambler-check's "warnings only": never without a report.
if [ "$status" = 1 ] && [ ! -s "$work/windows.out" ]; then
    wine_silent_exit ambler-check.exe "$windows_ms" "$server_before" \
        "$root/tools/wine-run.sh" "$AMBLER_WINDOWS_BIN/ambler-check.exe" "$@" < "$work/stdin"
fi
cat "$work/windows.out"
if [ "$status" != "$linux_status" ]; then
    echo "compare-check: exit status $status on Windows, $linux_status on Linux" >&2
    exit 99
fi
if ! cmp -s "$work/linux.out" "$work/windows.out"; then
    echo "compare-check: the reports differ:" >&2
    diff "$work/linux.out" "$work/windows.out" | head -20 >&2
    exit 99
fi
exit "$status"
