#!/bin/bash
# summary.sh NAME LOG [BROWSER_FILE] -- prints how many of the pass's traces
# equalled the Linux build's; stops the pass's browser; fails when any
# trace differed or none was compared.
name=$1 log=$2
[ -n "$3" ] && rm -f "$3"
equal=$(grep -c '^equal' "$log" 2> /dev/null)
total=$(grep -c '' "$log" 2> /dev/null)
echo "$name traces equal to Linux traces: ${equal:-0} of ${total:-0}"
grep '^differ' "$log" | head -10
[ "${total:-0}" -gt 0 ] && [ "$equal" = "$total" ]
