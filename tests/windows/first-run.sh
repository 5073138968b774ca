#!/bin/bash
# first-run.sh ZIP -- what someone who unzips the Windows zip finds: the
# programs in the walk demo's folder, so that a double-click (which starts
# ambler.exe in its own folder) walks the demo; the other demos beside it,
# each a scene the checker passes; and a README.txt that says how to open
# another scene and how to import a model.
. "$(dirname "$0")/common.sh" first-run
zip=$1
unzip -q "$zip" -d "$work" || { echo "first-run: cannot unzip $zip" >&2; exit 1; }
top=$work/ambler
for program in ambler.exe ambler-keep-side-key-mode.exe ambler-check.exe README.txt; do
    [ -f "$top/$program" ] || fail "no $program at the top of the zip"
done
cmp -s "$top/Hod.pro" "$root/scenes/walk/Hod.pro" || fail "the folder of ambler.exe does not hold the walk demo"
for scene in . follow drive chase; do
    "$AMBLER_LINUX_BIN/ambler-check" "$top/$scene" > "$work/check.txt" 2>&1 ||
        fail "$scene does not pass the checker: $(cat "$work/check.txt")"
done
for texture in $(grep -o '[A-Za-z0-9_]*\.bmp' "$top/Hod.pro" | sort -u); do
    [ -f "$top/$texture" ] || fail "the walk demo's $texture is missing"
done
grep -q "drop its folder" "$top/README.txt" || fail "README.txt does not say a folder can be dropped on the icon"
grep -q "WSL" "$top/README.txt" || fail "README.txt does not say how to import a model"
grep -q $'\r$' "$top/README.txt" || fail "README.txt lacks Windows line ends"
exit $failed
