#!/usr/bin/env bash
# Installs what is missing, builds the plugin and the stand-ins (release build in build-standin/)
# and runs the stand-in host program. Extra arguments go to orv-standin (see --help); paths among
# them are taken from the folder this script is run from, as orv-standin takes them.
set -euo pipefail
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
(
    cd "$root"
    bash scripts/install-deps.sh build
    cmake -S . -B build-standin -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF \
        -DORV_BUILD_STANDIN=ON >/dev/null
    cmake --build build-standin -j2
)
exec "$root/build-standin/orv-standin" "$@"
