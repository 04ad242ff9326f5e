#!/usr/bin/env bash
# The library as callers get it. Builds a release (build-package/, configured for /usr as a Debian
# build is), installs it under a scratch prefix and checks, each as a user would meet it:
#  - the exported symbols: no internals;
#  - a caller's project at C++14 through the CMake package;
#  - a caller through pkg-config (no --define-prefix), and one built with the compiler's default
#    flags that reads the library's globals;
#  - the README's examples, compiled as written;
#  - a parent project that adds this one as a subdirectory: it keeps its own packaging;
#  - the two Debian packages: contents, dependencies, and the caller's project against them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-package
fail() { echo "check-install: $*" >&2; exit 1; }

cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DORV_BUILD_TESTS=OFF \
    -DORV_BUILD_BENCH=OFF -DORV_BUILD_STANDIN=OFF -DORV_WERROR=ON >/dev/null
cmake --build "$out" -j2

stage=$out/stage/some/where
rm -rf "$out/stage"
cmake --install "$out" --prefix "$stage" >/dev/null
lib=$(ls "$stage"/lib/*/libsimExtOrv.so.1.* 2>/dev/null | head -n 1)
[ -n "$lib" ] || fail "no versioned library in the multiarch folder"
libdir=$(dirname "$lib")
objdump -p "$lib" | grep -q 'SONAME *libsimExtOrv.so.1$' || fail "the library has no SONAME libsimExtOrv.so.1"
for header in plugin/orvPlugin.h orvExport.h orvVersion.h; do
    [ -f "$stage/include/simExtOrv/$header" ] || fail "public header $header missing"
done
if find "$stage" -name '*_p.h' -o -name 'zadodiredi*' -o -name 'orv-standin' | grep -q .; then
    fail "private headers or stand-ins were installed"
fi

# Only the public interface is exported.
symbols=$(nm -D --defined-only "$lib" | c++filt)
if grep -q 'orv::' <<<"$symbols"; then fail "internals are exported: $(grep -m3 'orv::' <<<"$symbols")"; fi
for name in simStart simFlavor simGetIntegerParameter orvVersion 'tt::getValidInt' 'VFile::VFile'; do
    grep -qF "$name" <<<"$symbols" || fail "$name is not exported"
done

# The caller's project at C++14, through the CMake package.
cmake -S tests/consumer -B "$out/consumer-cmake" -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$out/consumer-cmake" -j2 >/dev/null
LD_LIBRARY_PATH="$libdir" "$out/consumer-cmake/orvConsumer"

# Through pkg-config, as a user calls it.
export PKG_CONFIG_PATH="$libdir/pkgconfig"
read -r -a flags <<<"$(pkg-config --cflags --libs simExtOrv)"
c++ -o "$out/orvConsumer-pkgconfig" tests/consumer/consumer.cpp "${flags[@]}"
LD_LIBRARY_PATH="$libdir" "$out/orvConsumer-pkgconfig"

# A caller built with the compiler's defaults holds copies of the globals it reads.
read -r -a include_flags <<<"$(pkg-config --cflags-only-I simExtOrv)"
c++ -std=c++17 -o "$out/frameGlobals" tests/consumer/frameGlobals.cpp "${include_flags[@]}" -L"$libdir" -lsimExtOrv
readelf -r "$out/frameGlobals" | grep -q 'R_X86_64_COPY.*simFlavor' ||
    echo "check-install: note: the default build made no copy of simFlavor; the globals check is weaker"
LD_LIBRARY_PATH="$libdir" "$out/frameGlobals" || fail "a caller built with default flags reads stale globals"

# Every C++ example of the README compiles and links as written.
rm -rf "$out/readme" && mkdir -p "$out/readme"
awk -v dir="$out/readme" '/^```cpp$/ {n++; f=dir "/example" n ".cpp"; next} /^```$/ {f=""} f {print > f}' README.md
for example in "$out"/readme/*.cpp; do
    c++ -o "${example%.cpp}" "$example" "${flags[@]}" -ldl || fail "README example $(basename "$example") does not build"
done

# A parent project keeps its own package name and gets no install rules of this one.
parent=$out/parent
rm -rf "$parent" && mkdir -p "$parent/src"
cat >"$parent/src/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.16)
project(orvParent LANGUAGES CXX)
set(CPACK_PACKAGE_NAME orv-parent)
add_subdirectory("$root" simExtOrv)
include(CPack)
EOF
cmake -S "$parent/src" -B "$parent/build" >/dev/null
grep -q 'CPACK_PACKAGE_NAME "orv-parent"' "$parent/build/CPackConfig.cmake" || fail "the subproject took over CPack"
cmake --install "$parent/build" --prefix "$parent/installed" >/dev/null
[ ! -e "$parent/installed" ] || fail "the subproject installed files into its parent's install"

# The Debian packages: a runtime package and a development package depending on it.
rm -rf "$out/packages"
(cd "$out" && cpack -G DEB >/dev/null)
runtime_deb=$(ls "$out"/packages/libsimextorv1_*.deb 2>/dev/null | head -n 1)
dev_deb=$(ls "$out"/packages/libsimextorv-dev_*.deb 2>/dev/null | head -n 1)
[ -n "$runtime_deb" ] && [ -n "$dev_deb" ] || fail "expected the packages libsimextorv1 and libsimextorv-dev"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
runtime_files=$(dpkg-deb -c "$runtime_deb")
dev_files=$(dpkg-deb -c "$dev_deb")
grep -q "usr/lib/$multiarch/libsimExtOrv.so.1.0.0" <<<"$runtime_files" || fail "no library in the multiarch folder"
grep -q 'include/\|\.so$\|pkgconfig' <<<"$runtime_files" && fail "development files in the runtime package"
grep -q "include/simExtOrv/plugin/orvPlugin.h" <<<"$dev_files" || fail "no headers in the development package"
grep -q "usr/lib/$multiarch/libsimExtOrv.so -> " <<<"$dev_files" || fail "no .so link in the development package"
for package in libsimextorv1:"$runtime_files" libsimextorv-dev:"$dev_files"; do
    name=${package%%:*}
    for doc in copyright changelog.gz; do
        grep -q "usr/share/doc/$name/$doc" <<<"${package#*:}" || fail "$name has no $doc"
    done
done
dpkg-deb -f "$runtime_deb" Depends | grep -q 'libqt5core5a' || fail "runtime dependencies not computed"
dpkg-deb -f "$dev_deb" Depends | grep -q 'libsimextorv1 (= ' || fail "the development package does not depend on the runtime one"
debroot=$out/debroot
rm -rf "$debroot"
dpkg-deb -x "$runtime_deb" "$debroot"
dpkg-deb -x "$dev_deb" "$debroot"
file -L "$debroot/usr/lib/$multiarch/libsimExtOrv.so.1" | grep -q ', stripped' || fail "the packaged library is not stripped"
cmake -S tests/consumer -B "$out/consumer-deb" -DCMAKE_PREFIX_PATH="$debroot/usr" >/dev/null
cmake --build "$out/consumer-deb" -j2 >/dev/null
LD_LIBRARY_PATH="$debroot/usr/lib/$multiarch" "$out/consumer-deb/orvConsumer"
echo "check-install: install tree, CMake package, pkg-config, default-flag caller, README examples," \
    "subproject and Debian packages ($(basename "$runtime_deb"), $(basename "$dev_deb")) all serve the caller"
