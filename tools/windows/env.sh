# Shared by the Windows build and test scripts: versions, packages and where
# the libraries built for Windows are cached. Source it; it defines variables
# and functions only.

WIN_TOOLS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
WIN_ROOT="$(cd "$WIN_TOOLS/../.." && pwd)"
WIN_TOOLCHAIN="$WIN_TOOLS/toolchain-mingw64.cmake"
WIN_CACHE="${DORIMEK_WINDOWS_CACHE:-/var/cache/dorimek-windows}"
WIN_BUILD="${DORIMEK_WINDOWS_BUILD:-$WIN_ROOT/build-windows}"
WIN_TRIPLE=x86_64-w64-mingw32

# Qt and libjpeg-turbo come from Debian's source packages of the same
# versions the Debian build uses, so both builds share one Qt.
WIN_QT_SOURCE=qt6-base
WIN_QT_DEBIAN_VERSION=6.4.2+dfsg-10
WIN_QT_VERSION=6.4.2
WIN_JPEG_SOURCE=libjpeg-turbo

# The package lists live with the Debian build's, in tools/setup.sh.
source "$WIN_ROOT/tools/setup.sh"
WIN_BUILD_PACKAGES=("${WINDOWS_BUILD_PACKAGES[@]}")
WIN_TEST_PACKAGES=("${WINDOWS_TEST_PACKAGES[@]}")

# Qt for Windows: only the modules the program uses; the libraries Qt bundles
# rather than any the build machine has (wine brings a mingw zlib Qt would
# otherwise pick up). INPUT_opengl=no really turns OpenGL off; Direct2D stays
# on, PrintSupport does not link without it in this version.
WIN_QT_OPTIONS=(
    -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_zstd=OFF
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
    -DFEATURE_system_textmarkdownreader=OFF
)

win_nice() { nice -n 19 "$@"; }

# A cache folder per recipe: another Qt version, option or toolchain gives a
# new folder, so a stale build is never reused.
win_recipe_hash() {
    { printf '%s\n' "$@"; cat "$WIN_TOOLCHAIN"; } | sha256sum | cut -c1-12
}
win_qt_prefix() {
    echo "$WIN_CACHE/qt-$WIN_QT_VERSION-$(win_recipe_hash "$WIN_QT_DEBIAN_VERSION" "${WIN_QT_OPTIONS[@]}" \
        "$(sha256sum "$WIN_TOOLS/build-qt.sh" | cut -c1-64)")"
}
# Written last: a folder without it is an interrupted build.
WIN_COMPLETE=.complete

win_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

win_ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "==> installing: ${missing[*]}"
        win_as_root apt-get update -qq
        win_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
}

# Source packages come from the same archive and keyring as the binary ones.
win_ensure_deb_src() {
    local list=/etc/apt/sources.list.d/dorimek-deb-src.sources
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
        echo "==> adding a deb-src entry for Debian's source packages"
        win_as_root tee "$list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
        win_as_root apt-get update -qq
    fi
}

# usage: win_fetch_source <package>[=<version>] <dir>  -> unpacked tree in <dir>/src
win_fetch_source() {
    local pkg="$1" dir="$2"
    rm -rf "$dir" && mkdir -p "$dir"
    (cd "$dir" && apt-get source --download-only -qq "$pkg" >/dev/null 2>&1 &&
        dpkg-source -x ./*.dsc src >/dev/null)
}

WIN_JPEG_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
                  -DWITH_SIMD=OFF -DWITH_JPEG8=OFF)
win_jpeg_prefix() {
    echo "$WIN_CACHE/libjpeg-turbo-$(win_recipe_hash "$(apt-cache showsrc "$WIN_JPEG_SOURCE" 2>/dev/null |
        sed -n 's/^Version: //p' | sort -V | tail -n1)" "${WIN_JPEG_OPTIONS[@]}")"
}

# GoogleTest for the cross-built tests, from the googletest package's sources.
WIN_GTEST_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
                   -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON)
win_gtest_prefix() {
    echo "$WIN_CACHE/googletest-$(win_recipe_hash "$(dpkg-query -W -f='${Version}' googletest 2>/dev/null)" \
        "${WIN_GTEST_OPTIONS[@]}")"
}
