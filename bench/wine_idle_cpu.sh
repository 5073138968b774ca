#!/bin/bash
# wine_idle_cpu.sh WINDOWS_BIN [SAMPLES] [SCENE] -- CPU use of ambler.exe
# left alone under wine on a scene (default scenes/empty, as the Linux idle
# figure), measured from outside: the process's user and
# system time (from /proc) over SAMPLES windows of 2 seconds each, after 5
# seconds to settle. Prints the median, min and max share of one core, and
# the same for the wine server, which passes the program's messages.
bin=$(realpath "$1")
samples=${2:-7}
scene=${3:-empty}
root=$(cd "$(dirname "$0")/.." && pwd)
export AMBLER_WINEPREFIX=${AMBLER_WINEPREFIX:-$root/build-windows/wineprefix}
hz=$(getconf CLK_TCK)

# user + system ticks of pid
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2> /dev/null || echo 0; }
summary() { sort -n | awk '{v[NR] = $1} END {printf "median %.2f%%  min %.2f%%  max %.2f%%\n", v[int((NR + 1) / 2)], v[1], v[NR]}'; }

cd "$root/scenes/$scene" || exit 1
"$root/tools/wine-run.sh" "$bin/ambler.exe" < /dev/null > /dev/null 2>&1 &
pid=$!
sleep 5
# The prefix's own server works in a folder named server-DEV-INODE.
prefix=$(realpath -m "$AMBLER_WINEPREFIX")
serverdir=$(printf 'server-%x-%x' "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")")
server=0
for p in $(pgrep -x 'wineserver(64)?'); do
    [ "$(basename "$(readlink "/proc/$p/cwd")")" = "$serverdir" ] && server=$p
done
program=() wine_server=()
for _ in $(seq "$samples"); do
    p0=$(ticks $pid) s0=$(ticks "$server") t0=$(date +%s.%N)
    sleep 2
    p1=$(ticks $pid) s1=$(ticks "$server") t1=$(date +%s.%N)
    program+=("$(awk "BEGIN {print ($p1 - $p0) / $hz / ($t1 - $t0) * 100}")")
    wine_server+=("$(awk "BEGIN {print ($s1 - $s0) / $hz / ($t1 - $t0) * 100}")")
done
kill "$pid" 2> /dev/null
wait "$pid" 2> /dev/null
echo "ambler.exe idle under wine on scenes/$scene, share of one core over $samples x 2 s:"
printf '  program:     '; printf '%s\n' "${program[@]}" | summary
printf '  wine server: '; printf '%s\n' "${wine_server[@]}" | summary
