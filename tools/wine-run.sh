#!/bin/bash
# wine-run.sh PROGRAM.exe [ARGS...] -- runs a Windows program of the cross
# build under wine64, in the build's private wine prefix (made on first use,
# once per prefix), with wine's own diagnostics off. CMake uses it as the
# cross-compiling emulator. AMBLER_WINEPREFIX names the prefix; the default
# lies in build-windows/ beside this repository's other builds.
# AMBLER_WINEDEBUG, when set, turns wine's diagnostics on (WINEDEBUG's syntax).
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$(realpath -m "${AMBLER_WINEPREFIX:-$root/build-windows/wineprefix}")
export WINEDEBUG=${AMBLER_WINEDEBUG:--all}
# No downloads of wine's .NET and HTML engines: the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # Parallel first runs wait for one wineboot instead of racing it.
    (
        flock 9
        [ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i > /dev/null 2>&1
        "$server" -w 2> /dev/null
    ) 9> "$WINEPREFIX.lock"
fi
exec "$wine" "$@"
