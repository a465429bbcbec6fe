#!/usr/bin/env bash
# Builds Qt for Windows once into the cache folder and prints its prefix.
# The cache is reused while the Qt version, its options and this recipe stay
# the same; the build folder (about 1 GB) is removed when done, and kept after
# a failure or an interruption so that running this again goes on from there.
set -euo pipefail
source "$(dirname "$0")/env.sh"

prefix="$(win_qt_prefix)"
if [ -f "$prefix/$WIN_COMPLETE" ]; then
    echo "$prefix"
    exit 0
fi

win_ensure_packages "${WIN_BUILD_PACKAGES[@]}"
win_ensure_deb_src

work="$WIN_CACHE/work-$(basename "$prefix")"
start=$(date +%s)
if [ ! -f "$work/build/build.ninja" ]; then
echo "==> fetching $WIN_QT_SOURCE $WIN_QT_DEBIAN_VERSION" >&2
win_fetch_source "$WIN_QT_SOURCE=$WIN_QT_DEBIAN_VERSION" "$work"

# Debian's tarball leaves out the tablet API headers the Windows platform
# plugin includes; wine's LGPL headers declare the same API. They are written
# for wine's own headers, so they need <windows.h> first and two of wine's
# naming macros, and the calling-convention macro of the original.
wintab="$work/src/src/3rdparty/wintab"
mkdir -p "$wintab"
wine_headers="$work/wine-headers"
(cd "$work" && apt-get download -qq libwine-dev >/dev/null 2>&1 &&
    dpkg-deb -x libwine-dev_*.deb "$wine_headers")
for h in wintab.h pktdef.h; do
    cp "$(find "$wine_headers" -path "*/windows/$h" | head -n1)" "$wintab/wine-$h"
    cat >"$wintab/$h" <<HDR
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
#  ifdef UNICODE
#    define WINELIB_NAME_AW(name) name##W
#  else
#    define WINELIB_NAME_AW(name) name##A
#  endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#  define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#  define API WINAPI
#endif
#include "wine-$h"
HDR
done

echo "==> configuring Qt for Windows into $prefix" >&2
rm -rf "$prefix"
win_nice cmake -G Ninja -S "$work/src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${WIN_QT_OPTIONS[@]}" >&2
fi
echo "==> building Qt (about half an hour on two cores)" >&2
win_nice cmake --build "$work/build" -j2 >&2
win_nice cmake --install "$work/build" >&2
echo "$(( $(date +%s) - start )) s" >"$prefix/build-seconds"
touch "$prefix/$WIN_COMPLETE"
rm -rf "$work"
echo "$prefix"
