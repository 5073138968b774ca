#!/bin/bash
# window-tests.sh TEST_PROGRAM ARGS... -- runs the real-window tests with the
# .exe stand-ins, then ends whatever they left running in the pass's wine
# prefix (a failed check leaves its program open, and it would hold the
# test's output open with it), and starts the prefix's server again.
"$@"
status=$?
bash "$(dirname "$0")/wine-server.sh"
exit $status
