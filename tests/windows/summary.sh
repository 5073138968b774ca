#!/bin/bash
# summary.sh LOG -- prints how many of the Windows pass's traces equalled
# the Linux build's, and stops the pass's wine server; fails when any trace
# differed or none was compared.
log=$1
if [ -n "$AMBLER_WINEPREFIX" ]; then
    WINEPREFIX=$(realpath -m "$AMBLER_WINEPREFIX") "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -k 2> /dev/null
fi
equal=$(grep -c '^equal' "$log" 2> /dev/null)
total=$(grep -c '' "$log" 2> /dev/null)
echo "Windows traces equal to Linux traces: ${equal:-0} of ${total:-0}"
grep '^differ' "$log" | head -10
[ "${total:-0}" -gt 0 ] && [ "$equal" = "$total" ]
