#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to the Windows setup program:
# installs what is missing from Debian's archive, builds Qt and libjpeg-turbo
# for Windows into the cache once (/var/cache/dorimek-windows, or
# $DORIMEK_WINDOWS_CACHE), builds dorimek.exe in build-windows/ and writes
# build-windows/dorimek-setup-<version>.exe.
#
#   tools/windows/build.sh            the setup program
#   tools/windows/build.sh --tests    also the core tests, for tools/windows/test.sh
set -euo pipefail
source "$(dirname "$0")/env.sh"

with_tests=OFF
[ "${1:-}" = "--tests" ] && with_tests=ON

win_ensure_packages "${WIN_BUILD_PACKAGES[@]}" qt6-translations-l10n
qt="$("$WIN_TOOLS/build-qt.sh")"
jpeg="$("$WIN_TOOLS/build-jpeg.sh")"
prefixes="$qt;$jpeg"
if [ "$with_tests" = ON ]; then prefixes="$prefixes;$("$WIN_TOOLS/build-gtest.sh")"; fi

echo "==> building dorimek.exe in $WIN_BUILD"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
win_nice cmake -G Ninja -S "$WIN_ROOT" -B "$WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" \
    -DCMAKE_PREFIX_PATH="$prefixes" -DCMAKE_BUILD_TYPE=Release \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_TESTING="$with_tests" -DDORIMEK_BENCH=OFF "${launcher[@]}" >/dev/null
win_nice cmake --build "$WIN_BUILD" -j2 --target dorimek
if [ "$with_tests" = ON ]; then
    # The core tests, and the grid editor's: it saves yakujo.txt, which must
    # come out byte for byte as on Debian. A test that simulates faults with
    # POSIX calls doesn't build for Windows; the rest still run.
    win_nice cmake --build "$WIN_BUILD" -j2 --target core_tests hensyuu_test -- -k 0 ||
        echo "==> some tests don't build for Windows (see above); running the others"
fi

"$WIN_TOOLS/deploy.sh" "$WIN_BUILD/src/app/dorimek.exe" "$qt" "$WIN_BUILD/stage"

version="$(sed -n 's/^project(dorimek VERSION \([0-9.]*\).*/\1/p' "$WIN_ROOT/CMakeLists.txt")"
setup="$WIN_BUILD/dorimek-setup-$version.exe"
echo "==> writing $setup"
win_nice makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$WIN_BUILD/stage" \
    -DSAMPLES="$WIN_ROOT/samples" -DOUTFILE="$setup" "$WIN_TOOLS/dorimek.nsi"
echo "$setup"
