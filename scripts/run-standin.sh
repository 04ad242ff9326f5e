#!/usr/bin/env bash
# Installs what is missing, builds the plugin and the stand-ins (release build in build-standin/)
# and runs the stand-in host program. Extra arguments go to orv-standin (see --help).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
cmake -S . -B build-standin -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF \
    -DORV_BUILD_STANDIN=ON >/dev/null
cmake --build build-standin -j2
exec ./build-standin/orv-standin "$@"
