#!/bin/bash
# web-replay.sh ARGS... -- tools/web-replay.mjs with the pass's shared
# browser when setup.sh started one ($AMBLER_WEB_BROWSER_FILE).
here=$(cd "$(dirname "$0")" && pwd)
if [ -n "$AMBLER_WEB_BROWSER_FILE" ] && [ -s "$AMBLER_WEB_BROWSER_FILE" ]; then
    AMBLER_WEB_BROWSER=$(cat "$AMBLER_WEB_BROWSER_FILE")
    export AMBLER_WEB_BROWSER
fi
exec node "$here/../../tools/web-replay.mjs" "$@"
