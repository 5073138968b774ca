#!/bin/bash
# fuzz.sh SECONDS [TARGET...] -- builds the libFuzzer targets (clang, ASan
# and UBSan) in build-fuzz and runs each for SECONDS, one after another,
# then prints each one's executions per second and coverage. Inputs that
# crash, leak or time out are kept under build-fuzz/artifacts/TARGET/; the
# status is 1 when any target found one. The corpus grows across runs in
# build-fuzz/corpus/.
#
# import_model_fuzz runs Assimp itself, whose readers have faults of their
# own that the program contains in its reading process: that target goes
# on past them (libFuzzer's fork mode), and its inputs are then sorted by
# where they fail. Only faults in our code count against it.
set -u
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(scene_reader_fuzz scene_file_fuzz flat_split_fuzz bitmap_fuzz replay_events_fuzz
    import_records_fuzz import_model_fuzz)
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
bmp=$root/../shared/testdata/bmp
models=/usr/share/assimp/models
# Assimp's readers leak on some files; leaks of our own still count.
lsan_supp=$root/fuzz/import_lsan.supp

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
# The import targets' seeds: the small models of assimp-testmodels, each
# after its extension and a zero byte, and the records each one gives.
mkdir -p "$seeds/import-model" "$seeds/import-records"
find "$models" -type f -size -64k 2> /dev/null |
    grep -viE '\.(png|jpe?g|tga|bmp|dds|gif|txt|md|bin|mtl|glsl|vert|frag|xml|json)$' | sort > "$seeds/import-list"
n=0
while read -r f; do
    n=$((n + 1))
    base=${f##*/} ext=""
    [[ $base == *.* ]] && ext=$(tr 'A-Z' 'a-z' <<< "${base##*.}")
    { printf '%s\0' "$ext"; cat "$f"; } > "$seeds/import-model/$n"
done < "$seeds/import-list"
LSAN_OPTIONS=suppressions=$lsan_supp xargs -d '\n' -r "$build/bin/ambler-fuzz-import-seeds" \
    "$seeds/import-records" < "$seeds/import-list" > /dev/null 2>&1
find "$seeds/import-records" -size +128k -delete  # mostly pictures: long and of little use

# Seed folders and the longest input of each target. Scene seeds longer
# than that (the demo scenes) are read as their leading part.
seed_dirs() {
    case $1 in
    scene_reader_fuzz | scene_file_fuzz | flat_split_fuzz) echo "$seeds/scene" ;;
    bitmap_fuzz) for d in "$bmp"/*/; do ls "$d"/*.bmp > /dev/null 2>&1 && echo "$d"; done ;;
    replay_events_fuzz) echo "$seeds/replay" ;;
    import_model_fuzz) echo "$seeds/import-model" ;;
    import_records_fuzz) echo "$seeds/import-records" ;;
    esac
}
max_len() {
    case $1 in
    scene_reader_fuzz | scene_file_fuzz | flat_split_fuzz) echo 16384 ;;
    bitmap_fuzz | import_model_fuzz) echo 65536 ;;
    import_records_fuzz) echo 131072 ;;
    *) echo 4096 ;;
    esac
}

# Where an input of import_model_fuzz fails, from the first frame of its
# report that is neither the sanitizers', libFuzzer's nor the C and C++
# libraries': "Assimp" (inside libassimp, or zlib, which only Assimp calls
# here), "stb_image", "ours", or "none" when it no longer fails.
triage() {
    local out frame
    out=$(LSAN_OPTIONS=suppressions=$lsan_supp UBSAN_OPTIONS=print_stacktrace=1 timeout 600 \
        "$build/bin/import_model_fuzz" -timeout=25 -rss_limit_mb=2048 "$1" 2>&1) && { echo none; return; }
    frame=$(awk '/ERROR: |runtime error/ { found = 1 }
        found && /^ *#[0-9]+ / && !/__asan|__sanitizer|__interceptor|__lsan|__ubsan|fuzzer::|libc\.so|libstdc\+\+|libgcc|libm\.so|ld-linux|operator new|operator delete|[^a-z_]malloc|calloc|realloc|in abort|in raise|__assert|__cxa_|__gnu_cxx|AlarmCallback|CrashCallback|DeathCallback|MallocHook|std::__throw|(nptl|stdlib|signal|string|sysdeps|libio|malloc|misc|posix|assert)\// { print; exit }' <<< "$out")
    case $frame in
    *libassimp* | *libz.so*) echo Assimp ;;
    *stbi*) echo stb_image ;;
    "") echo "ours (no frame: $(grep -m1 -E 'ERROR|runtime error' <<< "$out"))" ;;
    *) echo "ours: ${frame#*in }" ;;
    esac
}

# The format an import_model_fuzz input names before its zero byte.
input_format() {
    local hint
    hint=$(head -c 8 "$1" | tr '\0' '\n' | head -1)
    [ "$(head -c 8 "$1" | tr -dc '\0' | wc -c)" -gt 0 ] && [ -n "$hint" ] && echo "$hint" || echo "?"
}

status=0
summary=()
for t in "${targets[@]}"; do
    corpus=$build/corpus/$t artifacts=$build/artifacts/$t
    mkdir -p "$corpus" "$artifacts"
    log=$build/$t.log
    echo "== $t: $seconds s"
    mode=()
    [ "$t" = import_model_fuzz ] && mode=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
    before=$(ls "$artifacts" | wc -l)
    # shellcheck disable=SC2046
    LSAN_OPTIONS=suppressions=$lsan_supp "$build/bin/$t" "${mode[@]}" -max_total_time="$seconds" \
        -max_len="$(max_len "$t")" -timeout=25 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" $(seed_dirs "$t") > "$log" 2>&1
    rc=$?
    if [ ${#mode[@]} -gt 0 ]; then
        # Fork mode: one status line per job; the last has the totals.
        done_line=$(grep -E '^#[0-9]+: cov:' "$log" | tail -1)
        runs=$(sed -n 's/^#\([0-9]*\):.*/\1/p' <<< "$done_line")
        rate=$(sed -n 's/.*exec\/s:* \([0-9]*\).*/\1/p' <<< "$done_line")
    else
        done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    fi
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$done_line")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$done_line")
    # Slow units are reported but are no failure: on a shared machine a
    # stall of the whole process looks the same.
    crashes=$(grep -cE 'Test unit written to .*/(crash|leak|timeout|oom)-' "$log")
    slow=$(grep -cE 'Test unit written to .*/slow-unit-' "$log")
    line="$t: ${seconds}s, ${runs:-?} runs, ${rate:-?} exec/s, cov ${cov:-?}, ft ${ft:-?}, corpus $(ls "$corpus" | wc -l), crashes $crashes, slow units $slow"
    if [ ${#mode[@]} -gt 0 ]; then
        # This run's failing inputs, sorted by where they fail.
        ours=0
        declare -A found=()
        for a in $(ls -t "$artifacts" | head -n $(( $(ls "$artifacts" | wc -l) - before ))); do
            [[ $a == slow-unit-* ]] && continue
            where=$(triage "$artifacts/$a")
            case $where in
            none) continue ;;
            Assimp | stb_image) key="$where $(input_format "$artifacts/$a") ${a%%-*}" ;;
            *) key="$where"; ours=$((ours + 1)); echo "   $a: $where" ;;
            esac
            found[$key]=$(( ${found[$key]:-0} + 1 ))
        done
        for key in "${!found[@]}"; do echo "   ${found[$key]} x $key"; done | sort
        line="$line, faults in our code $ours"
        [ $rc -eq 0 ] && [ $ours -gt 0 ] && rc=1
    fi
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
