#!/usr/bin/env bash
# Builds GoogleTest for Windows from /usr/src/googletest into the cache;
# prints its prefix.
set -euo pipefail
source "$(dirname "$0")/env.sh"

win_ensure_packages "${WIN_BUILD_PACKAGES[@]}" googletest
prefix="$(win_gtest_prefix)"
if [ -f "$prefix/$WIN_COMPLETE" ]; then
    echo "$prefix"
    exit 0
fi
work="$WIN_CACHE/work-gtest-$$"
trap 'rm -rf "$work"' EXIT
echo "==> building GoogleTest for Windows into $prefix" >&2
rm -rf "$prefix"
win_nice cmake -G Ninja -S /usr/src/googletest -B "$work" -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${WIN_GTEST_OPTIONS[@]}" >&2
win_nice cmake --build "$work" -j2 >&2
win_nice cmake --install "$work" >&2
touch "$prefix/$WIN_COMPLETE"
echo "$prefix"
