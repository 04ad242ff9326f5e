#!/usr/bin/env bash
# Builds a release of the library (build-package/), installs it into a scratch prefix, builds the
# caller's project of tests/consumer against it through the CMake package and through pkg-config,
# then builds the Debian package, unpacks it into a scratch root and builds the caller against that.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-package

cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF \
    -DORV_BUILD_STANDIN=OFF -DORV_WERROR=ON >/dev/null
cmake --build "$out" -j2

stage=$out/stage
rm -rf "$stage"
cmake --install "$out" --prefix "$stage" >/dev/null

fail() { echo "check-install: $*" >&2; exit 1; }
lib=$(ls "$stage"/lib*/libsimExtOrv.so.1.* 2>/dev/null | head -n 1)
[ -n "$lib" ] || fail "no versioned library installed"
objdump -p "$lib" | grep -q 'SONAME *libsimExtOrv.so.1$' || fail "the library has no SONAME libsimExtOrv.so.1"
[ -f "$stage/include/simExtOrv/plugin/orvPlugin.h" ] || fail "public headers missing"
if find "$stage" -name '*_p.h' -o -name 'zadodiredi*' -o -name 'orv-standin' | grep -q .; then
    fail "private headers or stand-ins were installed"
fi

# The caller through the CMake package of the install tree.
cmake -S tests/consumer -B "$out/consumer-cmake" -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$out/consumer-cmake" -j2 >/dev/null
LD_LIBRARY_PATH="$(dirname "$lib")" "$out/consumer-cmake/orvConsumer"

# The caller through pkg-config.
pc_dir=$(dirname "$(find "$stage" -name simExtOrv.pc)")
flags=$(PKG_CONFIG_PATH="$pc_dir" pkg-config --define-prefix --cflags --libs simExtOrv)
# shellcheck disable=SC2086
c++ -std=c++17 -o "$out/orvConsumer-pkgconfig" tests/consumer/consumer.cpp $flags
LD_LIBRARY_PATH="$(dirname "$lib")" "$out/orvConsumer-pkgconfig"

# The Debian package, unpacked into a scratch root.
(cd "$out" && cpack -G DEB >/dev/null)
deb=$(ls "$out"/packages/*.deb | head -n 1)
[ -n "$deb" ] || fail "no Debian package built"
debroot=$out/debroot
rm -rf "$debroot"
dpkg-deb -x "$deb" "$debroot"
cmake -S tests/consumer -B "$out/consumer-deb" -DCMAKE_PREFIX_PATH="$debroot/usr" >/dev/null
cmake --build "$out/consumer-deb" -j2 >/dev/null
LD_LIBRARY_PATH="$(dirname "$(ls "$debroot"/usr/lib*/libsimExtOrv.so.1 "$debroot"/usr/lib/*/libsimExtOrv.so.1 2>/dev/null | head -n 1)")" \
    "$out/consumer-deb/orvConsumer"
echo "check-install: install tree, pkg-config and Debian package all serve the caller ($(basename "$deb"))"
