#!/bin/bash
# setup.sh LOG [BROWSER_FILE WEB_BIN] -- readies a pass over a build drawn
# with our GL 1.1 layer: an empty trace-equality log and, for the browser
# pass, one headless Chromium serving WEB_BIN for the whole pass (its
# addresses in BROWSER_FILE; the summary stops it by removing the file).
here=$(cd "$(dirname "$0")" && pwd)
: > "$1" || exit 1
[ -z "$2" ] && exit 0
rm -f "$2"
nohup node "$here/../../tools/web/browser-server.mjs" "$2" "$3" > /dev/null 2>&1 < /dev/null &
for _ in $(seq 1 600); do
    [ -s "$2" ] && exit 0
    kill -0 $! 2> /dev/null || break
    sleep 0.1
done
echo "setup: no headless Chromium came up" >&2
exit 1
