#!/bin/bash
# setup.sh LOG -- readies the Windows pass: the private wine prefix booted
# once (wine-run.sh makes it on first use), its wine server kept running for
# the whole pass (each program then starts in a fraction of a second instead
# of bringing up a server of its own), and an empty trace-equality log.
here=$(cd "$(dirname "$0")" && pwd)
: > "$1" || exit 1
ls "$AMBLER_WINDOWS_BIN"/ambler-replay.exe "$AMBLER_WINDOWS_BIN"/ambler-check.exe \
    "$AMBLER_WINDOWS_BIN"/ambler.exe > /dev/null || exit 1
"$here/../../tools/wine-run.sh" cmd /c exit 0 > /dev/null 2>&1 < /dev/null || exit 1
# The server outlives this script by up to 10 minutes after the last
# program ends, or until summary.sh stops it; it must not hold our output.
bash "$here/wine-server.sh"
exit 0
