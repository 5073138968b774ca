#!/bin/bash
# setup.sh LOG -- readies the Windows pass: the private wine prefix booted
# once (wine-run.sh makes it on first use) and an empty trace-equality log.
here=$(cd "$(dirname "$0")" && pwd)
: > "$1" || exit 1
ls "$AMBLER_WINDOWS_BIN"/ambler-replay.exe "$AMBLER_WINDOWS_BIN"/ambler-check.exe \
    "$AMBLER_WINDOWS_BIN"/ambler.exe > /dev/null || exit 1
"$here/../../tools/wine-run.sh" cmd /c exit 0
