#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root or through sudo.
# Usage: install-deps.sh [build] [test]
#   build  what building the library and orv-standin needs: compiler, CMake, Qt, Boost, OpenSSL
#   test   what the tests, benchmarks, fuzzers and the package check add to that
# Without an argument, both. Tested on Debian 12 (bookworm).
set -euo pipefail

build_packages=(
    build-essential cmake pkg-config
    qtbase5-dev libboost-dev
    openssl
)
test_packages=(
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev
    dpkg-dev file
    locales
    acl attr
    tinyproxy-bin
)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build test)
packages=()
for group in "${groups[@]}"; do
    case $group in
        build) packages+=("${build_packages[@]}") ;;
        test) packages+=("${build_packages[@]}" "${test_packages[@]}") ;;
        *) echo "install-deps.sh: unknown group '$group' (build or test)" >&2; exit 64 ;;
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
