#!/usr/bin/env bash
# Runs the tests of build-test/ again as the unprivileged user 65534, with a temporary folder of its
# own; run as root. Arguments go to ctest. ctest writes its log under build-test/Testing, which is
# handed to that user; everything else it only reads.
#
# The test programs have the checkout's absolute paths compiled in, so that user must reach the
# checkout at its own path. When a folder above it is closed to the user (a checkout in root's home),
# the folders are left as they are: the tests run in a private mount namespace in which the highest
# closed folder is covered by an empty one that holds only the way down to the checkout (and to the
# temporary folder), mounted there again. Nothing outside the namespace sees a change, and the
# namespace ends with the tests, however they end.
set -euo pipefail
cd "$(dirname "$0")/.."

as_unprivileged=(setpriv --reuid=65534 --regid=65534 --clear-groups)

# The folders above the checkout as they are now, to show afterwards that none was changed.
above() {
    local dir=$PWD
    while [ "$dir" != / ]; do
        dir=$(dirname "$dir")
        stat -c '%A %U %G %n' "$dir"
        getfacl --absolute-names --omit-header "$dir" 2>/dev/null || true
    done
}

# The highest folder above the checkout that the user cannot pass through, if any.
closed=
dir=$PWD
while [ "$dir" != / ]; do
    dir=$(dirname "$dir")
    "${as_unprivileged[@]}" test -x "$dir" || closed=$dir
done

before=$(above)
unprivileged_tmp=$(mktemp -d)
trap 'rm -rf "$unprivileged_tmp"' EXIT
chown 65534:65534 "$unprivileged_tmp"
mkdir -p build-test/Testing
chown -R 65534:65534 build-test/Testing
# The checkout itself must be open to the user: the namespace does not change what is in it.
unprivileged_tests=("${as_unprivileged[@]}" env TMPDIR="$unprivileged_tmp" HOME="$unprivileged_tmp" sh -c '
    if ! test -r "$PWD/build-test/CTestTestfile.cmake" || ! test -w "$TMPDIR"; then
        echo "User 65534 cannot read $PWD/build-test: put the project where every user may read it." >&2
        exit 1
    fi
    exec ctest --test-dir build-test "$@"' ctest "$@")
if [ -z "$closed" ]; then
    "${unprivileged_tests[@]}"
else
    echo "User 65534 cannot pass through $closed: its tests run in a private mount namespace."
    # Each folder to keep is opened before the cover hides it, then mounted again through that handle
    # (-c: mount must not resolve the handle to its path, which by then names the covering folder).
    unshare --mount --propagation private -- bash -c '
        set -euo pipefail
        closed=$1
        keep=("$PWD" "$2")
        shift 2
        handles=()
        for path in "${keep[@]}"; do
            exec {handle}<"$path"
            handles+=("$handle")
        done
        mount -t tmpfs -o mode=0755 orv-unprivileged-tests "$closed"
        for i in "${!keep[@]}"; do
            handle=${handles[$i]}
            mkdir -p "${keep[$i]}"
            mount -c --rbind "/proc/self/fd/$handle" "${keep[$i]}"
            exec {handle}<&-
        done
        "$@"' cover "$closed" "$unprivileged_tmp" "${unprivileged_tests[@]}"
fi
after=$(above)
if [ "$after" != "$before" ]; then
    echo "The folders above $PWD changed during the unprivileged tests:" >&2
    diff <(echo "$before") <(echo "$after") >&2 || true
    exit 1
fi
