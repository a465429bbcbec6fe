#!/usr/bin/env bash
# Builds libjpeg-turbo for Windows (a static library, so the program needs no
# JPEG DLL) from Debian's source package into the cache; prints its prefix.
set -euo pipefail
source "$(dirname "$0")/env.sh"

win_ensure_packages "${WIN_BUILD_PACKAGES[@]}"
win_ensure_deb_src
prefix="$(win_jpeg_prefix)"
if [ -f "$prefix/$WIN_COMPLETE" ]; then
    echo "$prefix"
    exit 0
fi
work="$WIN_CACHE/work-jpeg-$$"
trap 'rm -rf "$work"' EXIT
echo "==> building $WIN_JPEG_SOURCE for Windows into $prefix" >&2
win_fetch_source "$WIN_JPEG_SOURCE" "$work"
rm -rf "$prefix"
win_nice cmake -G Ninja -S "$work/src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${WIN_JPEG_OPTIONS[@]}" >&2
win_nice cmake --build "$work/build" -j2 >&2
win_nice cmake --install "$work/build" >&2
touch "$prefix/$WIN_COMPLETE"
echo "$prefix"
