#!/bin/bash
# fuzz.sh SECONDS [TARGET...] -- builds the libFuzzer targets (clang, ASan
# and UBSan) in build-fuzz and runs each for SECONDS, one after another,
# then prints each one's executions per second and coverage. Inputs that
# crash, leak or time out are kept under build-fuzz/artifacts/TARGET/; the
# status is 1 when any target found one. The corpus grows across runs in
# build-fuzz/corpus/.
set -u
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(scene_reader_fuzz scene_file_fuzz flat_split_fuzz bitmap_fuzz replay_events_fuzz)
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
bmp=$root/../shared/testdata/bmp

bash "$root/tools/install-deps.sh" clang libclang-rt-14-dev || exit 1
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DAMBLER_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null || exit 1
cmake --build "$build" -j"$(nproc)" > "$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }

# Seeds, rebuilt each time in the build folder: generated scenes and the
# demo scenes; the events files of this repository; the bitmap corpus is
# read where it lies.
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds/scene" "$seeds/replay"
"$build/bin/ambler-fuzz-seeds" "$seeds/scene" > /dev/null || exit 1
for f in "$root"/scenes/*/Hod.pro; do
    [ -f "$f" ] && cp "$f" "$seeds/scene/demo-$(basename "$(dirname "$f")").pro"
done
cp "$root"/fuzz/seeds/replay/*.events "$seeds/replay/"
for f in "$root"/tests/golden/*.events; do [ -f "$f" ] && cp "$f" "$seeds/replay/"; done

# Seed folders and the longest input of each target. Scene seeds longer
# than that (the demo scenes) are read as their leading part.
seed_dirs() {
    case $1 in
    scene_reader_fuzz | scene_file_fuzz | flat_split_fuzz) echo "$seeds/scene" ;;
    bitmap_fuzz) for d in "$bmp"/*/; do ls "$d"/*.bmp > /dev/null 2>&1 && echo "$d"; done ;;
    replay_events_fuzz) echo "$seeds/replay" ;;
    esac
}
max_len() {
    case $1 in
    scene_reader_fuzz | scene_file_fuzz | flat_split_fuzz) echo 16384 ;;
    bitmap_fuzz) echo 65536 ;;
    *) echo 4096 ;;
    esac
}

status=0
summary=()
for t in "${targets[@]}"; do
    corpus=$build/corpus/$t artifacts=$build/artifacts/$t
    mkdir -p "$corpus" "$artifacts"
    log=$build/$t.log
    echo "== $t: $seconds s"
    # shellcheck disable=SC2046
    "$build/bin/$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=25 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" $(seed_dirs "$t") \
        > "$log" 2>&1
    rc=$?
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$done_line")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$done_line")
    # Slow units are reported but are no failure: on a shared machine a
    # stall of the whole process looks the same.
    crashes=$(grep -cE 'Test unit written to .*/(crash|leak|timeout|oom)-' "$log")
    slow=$(grep -cE 'Test unit written to .*/slow-unit-' "$log")
    line="$t: ${seconds}s, ${runs:-?} runs, ${rate:-?} exec/s, cov ${cov:-?}, ft ${ft:-?}, corpus $(ls "$corpus" | wc -l), crashes $crashes, slow units $slow"
    if [ $rc -ne 0 ]; then
        status=1
        line="$line, FAILED (exit $rc, see $log)"
        grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -5
    fi
    echo "$line"
    summary+=("$line")
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
