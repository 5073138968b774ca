#!/bin/bash
# wine-server.sh [stop] -- starts the pass's wine server afresh for the rest
# of the pass: whatever ran in the prefix is ended, the server starts again
# to outlive this script by up to 10 minutes, and the prefix's own services
# start here with none of our output. Started by a test's first program,
# they would hold that test's output open and keep it from ending.
export WINEPREFIX=$(realpath -m "$AMBLER_WINEPREFIX")
here=$(cd "$(dirname "$0")" && pwd)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$server" -k 2> /dev/null
"$server" -w 2> /dev/null
[ "$1" = stop ] && exit 0  # only ended: the next program starts its own
"$server" -p600 > /dev/null 2>&1 < /dev/null
"$here/../../tools/wine-run.sh" cmd /c exit 0 > /dev/null 2>&1 < /dev/null
