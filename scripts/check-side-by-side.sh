#!/usr/bin/env bash
# The Qt 5 and the Qt 6 flavour side by side, as `check-install.sh 5` and `check-install.sh 6` left
# them in build-package/ and build-package-qt6/ (build-side-by-side/ holds what this adds):
#  - both installed into one prefix: neither writes a file the other wrote, and a caller's project
#    finds each through its CMake package and its pkg-config file, and gets that flavour's Qt only;
#  - their four Debian packages unpacked by dpkg into one scratch root: dpkg takes them together.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-side-by-side
fail() { echo "check-side-by-side: $*" >&2; exit 1; }
rm -rf "$out" && mkdir -p "$out"

prefix=$out/prefix
for build in build-package build-package-qt6; do
    [ -f "$build/CMakeCache.txt" ] || fail "$build is missing: run scripts/check-install.sh first"
    cmake --install "$build" --prefix "$prefix" >/dev/null
    sort "$build/install_manifest.txt" >"$out/$build.files"
done
shared=$(comm -12 "$out/build-package.files" "$out/build-package-qt6.files")
[ -z "$shared" ] || fail "both flavours install $shared"

libdir=$(dirname "$(ls "$prefix"/lib/*/libsimExtOrv.so.1)")
export PKG_CONFIG_PATH="$libdir/pkgconfig"
for flavour in simExtOrv:5 simExtOrv-qt6:6; do
    name=${flavour%:*}
    major=${flavour#*:}
    cmake -S tests/consumer -B "$out/$name-cmake" -DCMAKE_PREFIX_PATH="$prefix" -DORV_PACKAGE="$name" >/dev/null
    cmake --build "$out/$name-cmake" >/dev/null
    requires=$(pkg-config --print-requires "$name" | LC_ALL=C sort | tr '\n' ' ')
    [ "$requires" = "Qt${major}Core Qt${major}Network " ] || fail "$name.pc requires $requires"
    read -r -a flags <<<"$(pkg-config --cflags --libs "$name")"
    c++ -o "$out/$name-pkgconfig" tests/consumer/consumer.cpp "${flags[@]}"
    for caller in "$out/$name-cmake/orvConsumer" "$out/$name-pkgconfig"; do
        loaded=$(LD_LIBRARY_PATH="$libdir" ldd "$caller" | awk '$1 ~ /^lib(simExtOrv|Qt[0-9]Core)/ {print $1}' | LC_ALL=C sort | tr '\n' ' ')
        [ "$loaded" = "libQt${major}Core.so.${major} lib${name}.so.1 " ] ||
            fail "$(basename "$caller") of $name loads $loaded"
        LD_LIBRARY_PATH="$libdir" "$caller" >/dev/null || fail "$(basename "$caller") of $name failed"
    done
done

# dpkg refuses a package that would overwrite another's file; the dependencies (Qt, the C++ library)
# are not in the scratch root, and the packages carry no maintainer scripts to run there.
debroot=$out/debroot
mkdir -p "$debroot/var/lib/dpkg/info" "$debroot/var/lib/dpkg/updates"
touch "$debroot/var/lib/dpkg/status" "$debroot/var/lib/dpkg/available"
debs=(build-package/packages/*.deb build-package-qt6/packages/*.deb)
[ ${#debs[@]} -eq 4 ] || fail "expected two packages of each flavour, found ${debs[*]}"
dpkg --root="$debroot" --force-not-root --force-depends --unpack "${debs[@]}" >"$out/dpkg.log" 2>&1 ||
    fail "dpkg does not take both flavours' packages together: $(grep -m3 -i 'error\|trying' "$out/dpkg.log")"
echo "check-side-by-side: one prefix and one dpkg root hold both flavours" \
    "($(cd "$debroot" && ls usr/lib/*/libsimExtOrv*.so.1 | xargs -n1 basename | tr '\n' ' '))"
