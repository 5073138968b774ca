#!/bin/bash
# summary.sh LOG TEST... -- prints how many of the Windows pass's traces
# equalled the Linux build's, and stops the pass's wine server. Each TEST
# drives the Windows tools through the comparing stand-ins and notes in LOG
# that it ran. Any trace that differed fails; so does a pass in which all of
# them ran and not one trace was compared (the comparison itself is then
# lost). When only some ran (ctest -R), nothing compared is no fault.
log=$1
shift
if [ -n "$AMBLER_WINEPREFIX" ]; then
    WINEPREFIX=$(realpath -m "$AMBLER_WINEPREFIX") "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -k 2> /dev/null
fi
ran=0
for name in "$@"; do grep -qx "ran $name" "$log" 2> /dev/null && ran=$((ran + 1)); done
equal=$(grep -c '^equal' "$log" 2> /dev/null)
differ=$(grep -c '^differ' "$log" 2> /dev/null)
total=$((${equal:-0} + ${differ:-0}))
if [ "$total" = 0 ]; then
    echo "No Windows trace was compared ($ran of the $# tests that compare them ran)"
    [ "$ran" -lt "$#" ]
    exit
fi
echo "Windows traces equal to Linux traces: $equal of $total ($ran of the $# tests that compare them ran)"
grep '^differ' "$log" | head -10
[ "$differ" = 0 ]
