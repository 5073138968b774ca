#!/bin/bash
# windows-zip.sh ZIP -- packs the Windows programs (from $AMBLER_BIN), the
# four demo scenes and a README.txt into ZIP, with Windows line ends in the
# text files people open in Notepad.
#
# The programs sit in the walk demo's own folder, so that a double-click on
# ambler.exe, which starts it in its own folder, walks the demo instead of
# making an empty scene; the other demos are folders beside it.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
zip=$(realpath -m "$1")
stage=$(mktemp -d "${TMPDIR:-/tmp}/ambler-zip-XXXXXX")
trap 'rm -rf "$stage"' EXIT
top=$stage/ambler
mkdir -p "$top"
cp "$AMBLER_BIN/ambler.exe" "$AMBLER_BIN/ambler-keep-side-key-mode.exe" \
    "$AMBLER_BIN/ambler-check.exe" "$top/"
cp "$root/scenes/walk/"* "$top/"
for scene in follow drive chase; do cp -r "$root/scenes/$scene" "$top/"; done
sed 's/$/\r/' "$root/dist/README.txt" > "$top/README.txt"
mkdir -p "$(dirname "$zip")"
rm -f "$zip"
(cd "$stage" && zip -qr -9 -X "$zip" ambler)
echo "$zip: $(stat -c %s "$zip") bytes"
