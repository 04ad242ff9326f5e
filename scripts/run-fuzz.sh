#!/usr/bin/env bash
# Builds the libFuzzer programs with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# (build-fuzz/) and runs each for a fixed budget on a scratch copy of its seed corpus, so a crash
# fails the run. FUZZ_SECONDS sets the budget per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
out=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_BUILD_FUZZ=ON \
    -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF -DORV_BUILD_STANDIN=OFF \
    -DORV_SANITIZERS=address,undefined -DORV_WERROR=ON >/dev/null
cmake --build "$out" -j2

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for program in "$out"/fuzz/orv_fuzz_*; do
    name=${program##*/orv_fuzz_}
    work="$out/corpus-run/$name"
    rm -rf "$work" && mkdir -p "$work" "$out/artifacts"
    cp -r fuzz/corpus/"$name"/. "$work"/
    echo "fuzz: $name for ${seconds}s"
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$name-" "$work" 2>"$out/$name.log" ||
        { tail -n 60 "$out/$name.log"; echo "fuzz: $name failed; the input is in $out/artifacts" >&2; exit 1; }
    grep -E '^stat::number_of_executed_units' "$out/$name.log" | sed "s/^/fuzz: $name /"
done
