#!/usr/bin/env bash
# The library as callers get it. Builds the Debian packages (scripts/make-debs.sh: a release in
# build-package/, configured for /usr as a Debian build is), installs the same build under a scratch
# prefix and checks, each as a user would meet it:
#  - the exported symbols: the interface, no internals, no private helpers, no standard-library
#    template instances;
#  - every installed header on its own with Qt's keywords off, and orvVersion.h from C;
#  - a caller's project at C++14 through the CMake package;
#  - a caller through pkg-config (no --define-prefix), one at C++20, and one built with the
#    compiler's default flags that reads the library's globals;
#  - the README's examples, compiled as written;
#  - a parent project that adds this one as a subdirectory: it gets no install rules of this one;
#  - the two Debian packages: contents, control data, lintian, and a caller's project against them
#    whose dependencies dpkg-shlibdeps finds.
# Usage: check-install.sh [QT_MAJOR]: the Qt flavour, 5 (the default, in build-package/) or 6 (in
# build-package-qt6/), whose names all carry the suffix -qt6.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
major=${1:-5}
suffix=
[ "$major" = 6 ] && suffix=-qt6
orv_name=simExtOrv$suffix
runtime_package=libsimextorv${suffix:+$suffix-}1
dev_package=libsimextorv$suffix-dev
out=$root/build-package$suffix
fail() { echo "check-install: $*" >&2; exit 1; }

bash scripts/make-debs.sh "$major" -DORV_WERROR=ON >/dev/null

stage=$out/stage/some/where
rm -rf "$out/stage"
cmake --install "$out" --prefix "$stage" >/dev/null
lib=$(ls "$stage"/lib/*/lib$orv_name.so.1.* 2>/dev/null | head -n 1)
[ -n "$lib" ] || fail "no versioned library in the multiarch folder"
libdir=$(dirname "$lib")
# (Outputs are read whole before a match is looked for: grep -q ends a pipe early, and pipefail then
# fails it.)
soname=$(objdump -p "$lib" | sed -n 's/^ *SONAME *//p')
[ "$soname" = "lib$orv_name.so.1" ] || fail "the library has no SONAME lib$orv_name.so.1"
for header in plugin/orvPlugin.h orvExport.h orvVersion.h; do
    [ -f "$stage/include/$orv_name/$header" ] || fail "public header $header missing"
done
if find "$stage" -name '*_p.h' -o -name 'zadodiredi*' -o -name 'orv-standin' | grep -q .; then
    fail "private headers or stand-ins were installed"
fi

# Only the public interface is exported.
symbols=$(nm -D --defined-only "$lib" | c++filt)
if grep -q 'orv::' <<<"$symbols"; then fail "internals are exported: $(grep -m3 'orv::' <<<"$symbols")"; fi
for name in simStart simFlavor simGetIntegerParameter orvVersion 'tt::getValidInt' 'VFile::VFile' \
    'CConfReaderAndWriter::_getVariableIndex' 'CUpdateCheck::_readLastCheckAndDisplayTime' \
    'CUpdateCheck::_writeLastCheckAndDisplayTime' 'Thread::threadFinished' 'VThread::_lock'; do
    grep -qF " $name" <<<"$symbols" || fail "$name is not exported"
done
for name in 'CConfReaderAndWriter::_append' 'CConfReaderAndWriter::_dropReplaced' \
    'CUpdateCheck::_sendRequest' 'VArchive::_bytesLeft' 'Thread::_releaseWhenThreadExits'; do
    grep -qF " $name" <<<"$symbols" && fail "the private helper $name is exported"
done
# A name that begins with std:: (after a return type or "vtable for") is a template instance.
instance='^[0-9a-f]* [A-Za-z] ([^(<]* )?(std|__gnu_cxx)::'
if grep -qE "$instance" <<<"$symbols"; then
    fail "standard-library instances are exported: $(grep -m3 -E "$instance" <<<"$symbols")"
fi

# Every installed header compiles on its own where Qt's keywords are off; the version header from C,
# and its function links with C linkage.
read -r -a qt_flags <<<"$(pkg-config --cflags "Qt${major}Core" "Qt${major}Network")"
while IFS= read -r header; do
    c++ -std=c++17 -fPIC -DQT_NO_KEYWORDS -fsyntax-only -x c++ -I"$stage/include/$orv_name" "${qt_flags[@]}" \
        "$header" || fail "${header#"$stage/include/$orv_name/"} does not compile with QT_NO_KEYWORDS"
done < <(find "$stage/include/$orv_name" -name '*.h' | sort)
printf '#include "orvVersion.h"\n#include <string.h>\n%s\n' \
    'int main(void) { return strcmp(orvVersion(), ORV_VERSION_STRING) != 0; }' >"$out/version.c"
cc -std=c99 -Wall -Werror -o "$out/version-c" "$out/version.c" -I"$stage/include/$orv_name" -L"$libdir" \
    -l"$orv_name" || fail "orvVersion.h is not usable from C"
LD_LIBRARY_PATH="$libdir" "$out/version-c" || fail "orvVersion() from C differs from ORV_VERSION_STRING"

# The caller's project at C++14, through the CMake package.
cmake -S tests/consumer -B "$out/consumer-cmake" -DCMAKE_PREFIX_PATH="$stage" -DORV_PACKAGE="$orv_name" >/dev/null
cmake --build "$out/consumer-cmake" -j2 >/dev/null
LD_LIBRARY_PATH="$libdir" "$out/consumer-cmake/orvConsumer"

# Through pkg-config, as the README calls it: the caller's own standard and code model first.
export PKG_CONFIG_PATH="$libdir/pkgconfig"
read -r -a flags <<<"$(pkg-config --cflags --libs "$orv_name")"
c++ -std=c++17 -fPIC -o "$out/orvConsumer-pkgconfig" tests/consumer/consumer.cpp "${flags[@]}"
LD_LIBRARY_PATH="$libdir" "$out/orvConsumer-pkgconfig"
# A newer standard stays the caller's.
read -r -a cflags <<<"$(pkg-config --cflags "$orv_name")"
printf '#include "util/tt.h"\nstatic_assert(__cplusplus > 201703L, "the standard was lowered");\n' |
    c++ -std=c++20 -fPIC -fsyntax-only -x c++ - "${cflags[@]}" ||
    fail "pkg-config's flags change a C++20 caller's standard"

# A caller built with the compiler's defaults holds copies of the globals it reads.
read -r -a include_flags <<<"$(pkg-config --cflags-only-I "$orv_name")"
c++ -std=c++17 -o "$out/frameGlobals" tests/consumer/frameGlobals.cpp "${include_flags[@]}" -L"$libdir" -l"$orv_name"
relocations=$(readelf -r "$out/frameGlobals")
grep -q 'R_X86_64_COPY.*simFlavor' <<<"$relocations" ||
    echo "check-install: note: the default build made no copy of simFlavor; the globals check is weaker"
LD_LIBRARY_PATH="$libdir" "$out/frameGlobals" || fail "a caller built with default flags reads stale globals"

# Every C++ example of the README compiles and links as written.
rm -rf "$out/readme" && mkdir -p "$out/readme"
awk -v dir="$out/readme" '/^```cpp$/ {n++; f=dir "/example" n ".cpp"; next} /^```$/ {f=""} f {print > f}' README.md
for example in "$out"/readme/*.cpp; do
    c++ -std=c++17 -fPIC -o "${example%.cpp}" "$example" "${flags[@]}" -ldl || fail "README example $(basename "$example") does not build"
done

# A parent project gets no install rules of this one.
parent=$out/parent
rm -rf "$parent" && mkdir -p "$parent/src"
cat >"$parent/src/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.16)
project(orvParent LANGUAGES CXX)
add_subdirectory("$root" simExtOrv)
EOF
cmake -S "$parent/src" -B "$parent/build" >/dev/null
cmake --install "$parent/build" --prefix "$parent/installed" >/dev/null
[ ! -e "$parent/installed" ] || fail "the subproject installed files into its parent's install"

# The Debian packages: a runtime package and a development package depending on it.
runtime_deb=$(ls "$out"/packages/${runtime_package}_*.deb 2>/dev/null | head -n 1)
dev_deb=$(ls "$out"/packages/${dev_package}_*.deb 2>/dev/null | head -n 1)
[ -n "$runtime_deb" ] && [ -n "$dev_deb" ] || fail "expected the packages $runtime_package and $dev_package"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
runtime_files=$(dpkg-deb -c "$runtime_deb")
dev_files=$(dpkg-deb -c "$dev_deb")
grep -q "usr/lib/$multiarch/lib$orv_name.so.1.0.0" <<<"$runtime_files" || fail "no library in the multiarch folder"
grep -q 'include/\|\.so$\|pkgconfig' <<<"$runtime_files" && fail "development files in the runtime package"
grep -q "include/$orv_name/plugin/orvPlugin.h" <<<"$dev_files" || fail "no headers in the development package"
grep -q "usr/lib/$multiarch/lib$orv_name.so -> " <<<"$dev_files" || fail "no .so link in the development package"
for package in "$runtime_package:$runtime_files" "$dev_package:$dev_files"; do
    name=${package%%:*}
    for doc in copyright changelog.gz; do
        grep -q "usr/share/doc/$name/$doc" <<<"${package#*:}" || fail "$name has no $doc"
    done
done
dpkg-deb -f "$runtime_deb" Depends | grep -q "libqt${major}core" || fail "runtime dependencies not computed"
dpkg-deb -f "$dev_deb" Depends | grep -q "$runtime_package (= " || fail "the development package does not depend on the runtime one"
for deb in "$runtime_deb" "$dev_deb"; do
    [ "$(dpkg-deb -f "$deb" Multi-Arch)" = same ] || fail "$(basename "$deb") is not Multi-Arch: same"
done
lintian -I -E --pedantic --fail-on error,warning "$runtime_deb" "$dev_deb" 2>/dev/null ||
    fail "lintian finds fault with the packages"
debroot=$out/debroot
rm -rf "$debroot"
dpkg-deb -x "$runtime_deb" "$debroot"
dpkg-deb -x "$dev_deb" "$debroot"
file -L "$debroot/usr/lib/$multiarch/lib$orv_name.so.1" | grep -q ', stripped' || fail "the packaged library is not stripped"
grep -qx 'prefix=/usr' "$debroot/usr/lib/$multiarch/pkgconfig/$orv_name.pc" ||
    fail "the packaged .pc does not name /usr"
cmake -S tests/consumer -B "$out/consumer-deb" -DCMAKE_PREFIX_PATH="$debroot/usr" -DORV_PACKAGE="$orv_name" >/dev/null
cmake --build "$out/consumer-deb" -j2 >/dev/null
LD_LIBRARY_PATH="$debroot/usr/lib/$multiarch" "$out/consumer-deb/orvConsumer"
# A package of a caller depends on the runtime package: dpkg-shlibdeps reads its shlibs from the
# unpacked package's control files. (The pkg-config caller has no run path that would lead it to
# another copy of the library.)
runtime_tree=$out/runtime-tree
rm -rf "$runtime_tree" && dpkg-deb -R "$runtime_deb" "$runtime_tree"
shlibdeps_dir=$out/shlibdeps
rm -rf "$shlibdeps_dir" && mkdir -p "$shlibdeps_dir/debian" && touch "$shlibdeps_dir/debian/control"
(cd "$shlibdeps_dir" &&
    dpkg-shlibdeps --warnings=0 -O -l"$runtime_tree/usr/lib/$multiarch" "$out/orvConsumer-pkgconfig") |
    grep -q "$runtime_package (>= " || fail "dpkg-shlibdeps finds no dependency on $runtime_package for a caller"
echo "check-install: install tree, CMake package, pkg-config, default-flag caller, README examples," \
    "subproject and lintian-clean Debian packages ($(basename "$runtime_deb"), $(basename "$dev_deb")) all serve the caller"
