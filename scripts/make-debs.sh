#!/usr/bin/env bash
# Builds the Debian packages libsimextorv<major> (the library) and libsimextorv-dev (headers, .so
# link, CMake package, pkg-config file) into build-package/packages/, as a Debian build does:
# configured for /usr with the multiarch library folder and the compiler and linker flags of
# dpkg-buildflags (hardening included), whatever other builds of the checkout were configured with.
# Usage: make-debs.sh [QT_MAJOR] [CMAKE_ARGUMENTS...]: the Qt flavour, 5 (the default) or 6, whose
# packages (libsimextorv-qt6-1, libsimextorv-qt6-dev) go to build-package-qt6/packages/; the other
# arguments go to CMake's configure step (the install check adds -DORV_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
major=5
case ${1:-} in 5 | 6) major=$1 && shift ;; esac
bash scripts/install-deps.sh package
out=$PWD/build-package
[ "$major" = 6 ] && out+=-qt6
packages=$out/packages
umask 022

export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_LIBDIR="lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF -DORV_BUILD_STANDIN=OFF -DORV_QT_MAJOR="$major" "$@" >/dev/null
cmake --build "$out" -j2

rm -rf "$packages" && mkdir -p "$packages"
for component in runtime development; do
    root=$packages/$component
    DESTDIR=$root cmake --install "$out" --component "$component" >/dev/null
    mkdir -p "$root/DEBIAN"
    cp "$out/debian/$component"/* "$root/DEBIAN/"
    # Stripped as dh_strip strips a shared library; the link to it stays a link.
    find "$root" -type f -name '*.so.*' -exec strip --remove-section=.comment --remove-section=.note \
        --strip-unneeded {} + -exec chmod 0644 {} +
    (
        cd "$root"
        find . -type f ! -path './DEBIAN/*' -printf '%P\0' | sort -z | xargs -0 -r md5sum >DEBIAN/md5sums
    )
    {
        echo "Architecture: $(dpkg-architecture -qDEB_HOST_ARCH)"
        echo "Installed-Size: $(du -sk --apparent-size --exclude=DEBIAN "$root" | cut -f1)"
    } >>"$root/DEBIAN/control"
    mapfile -t libraries < <(find "$root" -type f -name '*.so.*')
    if [ ${#libraries[@]} -gt 0 ]; then
        # dpkg-shlibdeps reads the libraries' needs from the shlibs of the installed packages; it
        # wants a debian/control where it runs.
        work=$(mktemp -d)
        mkdir "$work/debian" && touch "$work/debian/control"
        depends=$(cd "$work" && dpkg-shlibdeps -O "${libraries[@]}" | sed -n 's/^shlibs:Depends=//p')
        rm -rf "$work"
        echo "Depends: $depends" >>"$root/DEBIAN/control"
    fi
    dpkg-deb --root-owner-group --build "$root" "$packages" >/dev/null
done
ls "$packages"/*.deb
