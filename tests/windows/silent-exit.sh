#!/bin/bash
# silent-exit.sh -- a Windows run that wine ends with status 1 without a
# word explains itself: the stand-in reports the server's state and wine's
# own diagnostics of a second run, and keeps the whole log. A program that
# ends with 1 and says why is left to speak for itself. The programs are
# two-line stand-ins built here with the cross compiler.
. "$(dirname "$0")/common.sh" silent-exit
cc=$(command -v x86_64-w64-mingw32-gcc) || { echo "silent-exit: no MinGW-w64 C compiler" >&2; exit 1; }
mkdir -p "$work/silent" "$work/says" "$work/logs"
echo 'int main(void) { return 1; }' > "$work/silent.c"
printf '#include <stdio.h>\nint main(void) { fputs("no scene\\n", stderr); return 1; }\n' > "$work/says.c"
"$cc" -o "$work/silent/ambler-replay.exe" "$work/silent.c" &&
    "$cc" -o "$work/says/ambler-replay.exe" "$work/says.c" || { echo "silent-exit: cannot build" >&2; exit 1; }

# Runs compare-replay.sh with the stand-ins in $1; its stderr in $work/err.
# The pass's own trace log never hears of these runs.
replay() {
    AMBLER_WINDOWS_BIN=$1 AMBLER_TRACE_LOG=$work/logs/trace.log \
        bash "$root/tests/windows/compare-replay.sh" "$root/scenes/walk" --steps 1 \
        --trace "$work/trace" < /dev/null > /dev/null 2> "$work/err"
}

replay "$work/silent"
status=$?
[ "$status" = 99 ] || fail "a silent status 1 gave $status, not 99"
grep -q "ended with status 1 after [0-9]* ms, said nothing and wrote nothing" "$work/err" ||
    fail "no word of the silent end: $(head -c 300 "$work/err")"
grep -q "^wine server before the run: " "$work/err" || fail "the server before the run is not told"
grep -q "^run again with wine's diagnostics: status 1" "$work/err" || fail "no second run"
log=$(ls "$work/logs/wine-silent-exits/"*.log 2> /dev/null | head -1)
[ -n "$log" ] && grep -q "(the whole log: $log)" "$work/err" || fail "the whole log is not kept"

rm -rf "$work/logs/wine-silent-exits"
replay "$work/says"
grep -q "^no scene" "$work/err" || fail "the program's own stderr did not reach the test"
grep -q "said nothing" "$work/err" && fail "a program that says why was reported as silent"
[ -d "$work/logs/wine-silent-exits" ] && fail "a program that says why left a wine log"
exit $failed
