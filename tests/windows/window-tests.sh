#!/bin/bash
# window-tests.sh TEST_PROGRAM ARGS... -- runs the real-window tests with the
# .exe stand-ins, then ends whatever they left running in the pass's wine
# prefix (a failed check leaves its program open, and it would hold the
# test's output open with it), and starts the prefix's server again.
"$@"
status=$?
export WINEPREFIX=$(realpath -m "$AMBLER_WINEPREFIX")
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$server" -k 2> /dev/null
"$server" -w 2> /dev/null
"$server" -p600 > /dev/null 2>&1 < /dev/null
exit $status
