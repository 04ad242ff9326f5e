#!/usr/bin/env bash
# Measures how many plausible mistakes the test suite catches. Each line of scripts/seeded-faults.txt
# names one fault:
#     file|exact text|replacement|what the mistake is[|test folders]
# The text must occur exactly once in the file; a bar inside the text or the replacement is written \|.
# The optional last field names the test folders (CTest labels) to run, separated by spaces, for a
# fault that tests of other folders are meant to catch (the update path is also tested through the
# plugin and the stand-in program); without it, the fault's own folder is run.
# The checkout is copied to a scratch folder and built there once, as the test build is (Debug,
# AddressSanitizer and UndefinedBehaviorSanitizer); then each fault in turn is written into the copy,
# the test program of the fault's folder (tests/<folder>) is rebuilt and its tests run. A fault is
# CAUGHT when a test fails, ESCAPED when all pass, and an ERROR when it does not apply exactly once or
# does not build.
# The checkout itself is never changed.
#
# Usage: scripts/seed-faults.sh [file pattern]   (only faults whose file matches the grep pattern)
# SEED_JOBS sets the build and test parallelism (2), SEED_TIMEOUT the per-test time-out (120 s),
# SEED_KEEP=1 keeps the scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
list=$root/scripts/seeded-faults.txt
pattern=${1:-}
jobs=${SEED_JOBS:-2}
timeout=${SEED_TIMEOUT:-120}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

# The faults to run: "line number|file|text|replacement|description", blank and # lines skipped.
faults=()
n=0
while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    case $line in '' | '#'*) continue ;; esac
    file=${line%%|*}
    if [ -n "$pattern" ] && ! grep -q -- "$pattern" <<<"$file"; then
        continue
    fi
    faults+=("$n|$line")
done <"$list"
if [ ${#faults[@]} -eq 0 ]; then
    echo "No fault in $list matches '${pattern}'." >&2
    exit 1
fi

scratch=$(mktemp -d)
if [ "${SEED_KEEP:-0}" != 1 ]; then
    trap 'rm -rf "$scratch"' EXIT
fi
src=$scratch/src
build=$scratch/build
mkdir -p "$src"
tar -C "$root" --exclude='./build*' --exclude=./.git --exclude=./.cache -cf - . | tar -C "$src" -xf -

# The test folders of one fault ("number|file|text|replacement|description[|folders]").
fault_folders() {
    local file folders
    IFS='|' read -r _ file _ _ _ folders <<<"${1//\\|/}"
    echo "${folders:-${file%%/*}}"
}

# The folders (and so the test programs) the chosen faults need.
folders=$(for f in "${faults[@]}"; do fault_folders "$f" | tr ' ' '\n'; done | sort -u)
targets=()
for folder in $folders; do
    targets+=("orv_${folder}_tests")
done

echo "Building the scratch copy in $scratch (${targets[*]})"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZERS=address,undefined -DORV_WERROR=ON \
    -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF -DORV_BUILD_FUZZ=OFF >"$scratch/configure.log" 2>&1
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$scratch/build.log" 2>&1 || {
    echo "The unchanged copy does not build: see $scratch/build.log" >&2
    trap - EXIT
    exit 1
}

# Runs the tests of the given folders; 0 when all pass.
run_folders() {
    local labels
    labels=$(IFS='|'; echo "$*")
    ctest --test-dir "$build" -j"$jobs" --timeout "$timeout" -L "^($labels)\$" >"$scratch/ctest.log" 2>&1
}

for folder in $folders; do
    if ! run_folders "$folder"; then
        echo "The unchanged copy fails the $folder tests:" >&2
        tail -n 30 "$scratch/ctest.log" >&2
        exit 1
    fi
done

caught=0
escaped=0
errors=0
for f in "${faults[@]}"; do
    # An escaped bar is held as a control character while the line is split.
    IFS='|' read -r number file text replacement description _ <<<"${f//\\|/$'\001'}"
    text=${text//$'\001'/|}
    replacement=${replacement//$'\001'/|}
    target=$src/$file
    label="line $number: $file: $description"
    occurrences=0
    if [ -f "$target" ]; then
        occurrences=$(TEXT=$text perl -0777 -ne '$n = () = /\Q$ENV{TEXT}\E/g; print $n' "$target")
    fi
    if [ "$occurrences" != 1 ]; then
        echo "ERROR    $label (the text occurs $occurrences times)"
        errors=$((errors + 1))
        continue
    fi
    cp -p "$target" "$scratch/original"
    TEXT=$text REPLACEMENT=$replacement perl -0777 -pi -e 's/\Q$ENV{TEXT}\E/$ENV{REPLACEMENT}/' "$target"
    fault_targets=()
    for folder in $(fault_folders "$f"); do
        fault_targets+=("orv_${folder}_tests")
    done
    start=$SECONDS
    if ! cmake --build "$build" -j"$jobs" --target "${fault_targets[@]}" >"$scratch/fault-build.log" 2>&1; then
        # A fault the compiler refuses says nothing about the tests: the list needs another one.
        echo "ERROR    $label (does not build: $(grep -m1 'error' "$scratch/fault-build.log"))"
        errors=$((errors + 1))
    elif run_folders $(fault_folders "$f"); then
        echo "ESCAPED  $label ($((SECONDS - start)) s)"
        escaped=$((escaped + 1))
    else
        echo "CAUGHT   $label ($((SECONDS - start)) s)"
        caught=$((caught + 1))
    fi
    # Restore the file with a fresh time stamp so that the next build sees the change back.
    cp "$scratch/original" "$target"
    touch "$target"
done

echo "$caught caught, $escaped escaped, $errors errors"
[ "$errors" -eq 0 ]
