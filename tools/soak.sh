#!/bin/bash
# soak.sh BUILD_DIR STEPS [--short] -- random input on every demo scene in
# every view mode. With --short, STEPS is the total across all runs and the
# memory check is left out; otherwise every run takes STEPS steps and peak
# memory must stay flat after the warm-up.
set -u
build=$1 steps=$2 mode=${3:-}
root=$(cd "$(dirname "$0")/.." && pwd)
scenes=()
for s in walk follow drive chase; do [ -f "$root/scenes/$s/Hod.pro" ] && scenes+=("$s"); done
[ ${#scenes[@]} -eq 0 ] && { echo "soak: no demo scenes under $root/scenes"; exit 1; }
runs=$(( ${#scenes[@]} * 4 ))
per=$steps rss=--check-rss
if [ "$mode" = "--short" ]; then per=$(( steps / runs )); rss=; fi
status=0 seed=1
for s in "${scenes[@]}"; do
    for view in 1 2 3 4; do
        "$build/bin/ambler-soak" "$root/scenes/$s" --steps "$per" --seed $seed --view-mode $view $rss \
            || status=1
        seed=$((seed + 1))
    done
done
exit $status
