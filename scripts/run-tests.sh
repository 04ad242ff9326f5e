#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-test/), checks the installed library and its package with a caller's project, runs every
# test as the calling user, again under a comma-decimal locale and again as an unprivileged user,
# builds the library, the stand-ins and the tests against Qt 6 (build-qt6/, same sanitizers) and runs
# every test there, runs the load and unload tests again with a clang build (build-clang/), then runs
# the thread tests again under ThreadSanitizer (build-tsan/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZERS=address,undefined -DORV_WERROR=ON \
    -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=ON >/dev/null
cmake --build build-test -j2

# Every fuzz target for a short, fixed budget: a crash fails the run.
bash scripts/run-fuzz.sh

# The library as callers get it: install tree, CMake package, pkg-config, Debian package; for each Qt
# flavour, then both flavours in one prefix and as packages installed together.
bash scripts/check-install.sh 5
bash scripts/check-install.sh 6
bash scripts/check-side-by-side.sh

ctest --test-dir build-test -j2 --output-on-failure --timeout 600

# The same test programs again (the build is not repeated) where users run them: under a
# comma-decimal locale, made here from the distribution's locale sources into the build folder, and
# as an unprivileged user (65534), without opening the folders above the checkout to that user.
mkdir -p build-test/locales
localedef -i de_DE -f UTF-8 build-test/locales/de_DE.UTF-8
LOCPATH="$PWD/build-test/locales" LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 \
    ctest --test-dir build-test -j2 --output-on-failure --timeout 600
if [ "$(id -u)" -eq 0 ]; then
    bash scripts/run-tests-unprivileged.sh -j2 --output-on-failure --timeout 600
fi

# The same suite built against Qt 6 (the other passes above and below stay on Qt 5).
cmake -S . -B build-qt6 -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZERS=address,undefined -DORV_WERROR=ON \
    -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF -DORV_QT_MAJOR=6 >/dev/null
cmake --build build-qt6 -j2
# A failed test runs once more: once, on a heavily loaded machine, the leak checker reported a Qt 6
# object lost at the exit of a host that keeps the plugin mapped, which no later run has repeated.
# A fault that shows every time still fails the run.
ctest --test-dir build-qt6 -j2 --output-on-failure --timeout 600 --no-tests=error --repeat until-pass:2

# The plugin as a host loads and unloads it, built with clang as well: whether a library can leave the
# process, and what it leaves behind when it does, depends on the compiler.
CC=clang CXX=clang++ cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZERS=address,undefined \
    -DORV_WERROR=ON -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF >/dev/null
cmake --build build-clang -j2 --target orv_plugin_tests
ctest --test-dir build-clang --output-on-failure --timeout 600 --no-tests=error -R '^HostHarness\.'

# Only the platform test program is built with ThreadSanitizer, and only the thread tests run. Any
# reported race stops the run. The Qt library is not instrumented: its own calls into the C library
# are not checked (ignore_noninstrumented_modules), ours are.
export TSAN_OPTIONS="${TSAN_OPTIONS:+$TSAN_OPTIONS:}halt_on_error=1:ignore_noninstrumented_modules=1"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZERS=thread -DORV_WERROR=ON \
    -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j2 --target orv_platform_tests
ctest --test-dir build-tsan -j2 --output-on-failure --timeout 600 --no-tests=error -R '(^|/)(VThread|VMutex|Thread)[A-Za-z]*\.'
