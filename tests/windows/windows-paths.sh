#!/bin/bash
# windows-paths.sh -- the Windows tools take Windows paths: a scene named by
# its hod.pro with a drive letter and backslashes, a trace and a shot named
# the same way, all from another working folder. The trace must equal the
# Linux tool's, and ambler-check must find the scene's textures beside the
# file it was given, not in the working folder.
. "$(dirname "$0")/common.sh" windows-paths
[ -n "$AMBLER_TRACE_LOG" ] && echo "ran windows_paths" >> "$AMBLER_TRACE_LOG"  # for the summary

# The Windows name wine gives a Linux path: drive Z: is the root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

cp -r "$root/scenes/walk" "$work/walk"
mkdir "$work/out" "$work/elsewhere"
cd "$work/elsewhere" || exit 1
step() { echo "$check_name: $*"; }
# A wine program that hangs says so here, well before the test's own limit.
wine_run() {
    timeout 40 "$root/tools/wine-run.sh" "$@"
    local status=$?
    [ "$status" = 124 ] && fail "$(basename "$1") still ran after 40 s" &&
        ps -eo pid,etime,args | grep -i '[.]exe' >&2
    return $status
}

step "ambler-replay.exe with drive-letter paths"
wine_run "$AMBLER_WINDOWS_BIN/ambler-replay.exe" \
    "$(windows_path "$work/walk")\\hod.pro" --steps 40 \
    --trace "$(windows_path "$work/out")\\trace" \
    --shot "20:z:/${work#/}/out/shot.png" < /dev/null > /dev/null
status=$?
[ "$status" = 0 ] || fail "ambler-replay.exe with Windows paths exited with $status"
[ -s "$work/out/shot.png" ] || fail "no shot where the drive-letter path named it"
step "ambler-replay on the same scene"
timeout 40 "$AMBLER_LINUX_BIN/ambler-replay" "$work/walk" --steps 40 --trace "$work/out/linux-trace" < /dev/null
if "$AMBLER_LINUX_BIN/ambler-trace-compare" "$work/out/linux-trace" "$work/out/trace" > /dev/null; then
    [ -n "$AMBLER_TRACE_LOG" ] && echo "equal :: windows-paths" >> "$AMBLER_TRACE_LOG"
else
    fail "the trace differs from the Linux tool's"
    [ -n "$AMBLER_TRACE_LOG" ] && echo "differ :: windows-paths" >> "$AMBLER_TRACE_LOG"
fi

# A folder as a shell's completion gives it, with a separator at its end.
step "the scene folder with a trailing backslash"
for tool in ambler-replay.exe ambler-check.exe; do
    args=("$(windows_path "$work/walk")\\")
    [ "$tool" = ambler-replay.exe ] && args+=(--steps 2)
    wine_run "$AMBLER_WINDOWS_BIN/$tool" "${args[@]}" < /dev/null > /dev/null
    status=$?
    [ "$status" = 0 ] || fail "$tool ${args[0]} exited with $status"
done

# Names beyond the ANSI code page: a folder in Cyrillic opens (the
# programs' manifest makes the narrow calls take UTF-8), and a texture named
# in the system's own code page, as a scene made on Windows may name it, is
# still found. With LANG=C.UTF-8 alone wine takes arguments as UTF-8 and
# gives the system the Western page, 1252, whatever the machine's locale.
step "a Cyrillic folder and a texture named in code page 1252"
no_locale() { (unset LC_ALL LC_CTYPE; export LANG=C.UTF-8; "$@"); }
legacy="$work/Сцена"
cp -r "$work/walk" "$legacy"
mv "$legacy/cloth.bmp" "$legacy/Wäsche.bmp"
sed -i 's/#cloth\.bmp/#W\xe4sche.bmp/' "$legacy/Hod.pro"
no_locale wine_run "$AMBLER_WINDOWS_BIN/ambler-replay.exe" "$legacy" --steps 2 < /dev/null > /dev/null
status=$?
[ "$status" = 0 ] || fail "ambler-replay.exe on a Cyrillic folder exited with $status"
no_locale wine_run "$AMBLER_WINDOWS_BIN/ambler-check.exe" "$legacy" < /dev/null > "$work/out/legacy-check"
status=$?
[ "$status" = 0 ] || fail "ambler-check.exe on the Cyrillic folder exited with $status: $(tr -d '\r' < "$work/out/legacy-check" | grep -a -m1 warning)"

# The scene's textures lie beside its Hod.pro; from elsewhere a check that
# looked in the working folder would warn about each of them.
step "ambler-check and ambler-check.exe on the scene's file"
"$AMBLER_LINUX_BIN/ambler-check" "$work/walk/Hod.pro" > "$work/out/linux-check"
linux_status=$?
wine_run "$AMBLER_WINDOWS_BIN/ambler-check.exe" \
    "$(windows_path "$work/walk")\\Hod.pro" < /dev/null > "$work/out/check"
status=$?
[ "$status" = "$linux_status" ] ||
    fail "ambler-check.exe on a Windows path exited with $status, Linux with $linux_status"
tail -n 1 "$work/out/check" | tr -d '\r' | cmp -s - <(tail -n 1 "$work/out/linux-check") ||
    fail "ambler-check.exe says '$(tail -n 1 "$work/out/check")'"
exit $failed
