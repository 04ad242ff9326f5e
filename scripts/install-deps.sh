#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root or through sudo.
# Usage: install-deps.sh [build] [package] [test]
#   build    what building the library and orv-standin needs: compiler, CMake, Qt, Boost, OpenSSL
#   package  what building the Debian packages adds to that
#   test     what the tests, benchmarks, fuzzers and the package check (lintian) add to both, Qt 6
#            among them
# Without an argument, all three. Tested on Debian 12 (bookworm).
set -euo pipefail

build_packages=(
    build-essential cmake pkg-config
    qtbase5-dev libboost-dev
    openssl
)
package_packages=(dpkg-dev)
test_packages=(
    lintian
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev
    clang libclang-rt-14-dev
    file
    locales
    acl attr
    tinyproxy-bin
)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build package test)
packages=()
for group in "${groups[@]}"; do
    case $group in
        build) packages+=("${build_packages[@]}") ;;
        package) packages+=("${build_packages[@]}" "${package_packages[@]}") ;;
        test) packages+=("${build_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
        *) echo "install-deps.sh: unknown group '$group' (build, package or test)" >&2; exit 64 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        [[ " ${missing[*]} " == *" $p "* ]] || missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
