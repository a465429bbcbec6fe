# Shared by run.sh and test.sh: installs what is missing, builds, stages the
# program folder. Source it; it defines functions only.

DORIMEK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DORIMEK_BUILD="${DORIMEK_BUILD:-$DORIMEK_ROOT/build}"
DORIMEK_STAGE="$DORIMEK_BUILD/dorimek"

RUN_PACKAGES=(build-essential cmake pkg-config qt6-base-dev libjpeg62-turbo-dev libcups2-dev
              fonts-ipafont-mincho fonts-ipafont-gothic qt6-qpa-plugins qt6-translations-l10n)
TEST_PACKAGES=(googletest libgtest-dev cups cups-client cups-bsd cups-filters cups-ipp-utils dbus-daemon poppler-utils
               ghostscript printer-driver-hpcups
               xvfb xauth clang libclang-rt-14-dev imagemagick desktop-file-utils lintian)
# The Windows build (tools/windows/): installed by its scripts when they run,
# not by ./test.sh, whose Windows stage skips where they are missing.
WINDOWS_BUILD_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev qt6-base-dev-tools
                        qt6-translations-l10n cmake ninja-build dpkg-dev nsis ccache)
WINDOWS_TEST_PACKAGES=(wine64 wine googletest xvfb xauth fonts-ipafont-mincho fonts-ipafont-gothic
                       cups cups-client ghostscript poppler-utils tesseract-ocr tesseract-ocr-jpn)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "==> installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

build_project() {
    # usage: build_project <build-dir> [cmake args...]
    local dir="$1"; shift
    cmake -S "$DORIMEK_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# The program folder: the executable beside its data. Sample data is copied
# only where the folder has none yet, so a demo folder's edits survive a rebuild.
stage_program_folder() {
    mkdir -p "$DORIMEK_STAGE"
    cp -f "$DORIMEK_BUILD/src/app/dorimek" "$DORIMEK_STAGE/dorimek"
    if [ -d "$DORIMEK_ROOT/samples" ]; then
        (cd "$DORIMEK_ROOT/samples" && find . -type f) | while read -r f; do
            if [ ! -e "$DORIMEK_STAGE/$f" ]; then
                mkdir -p "$DORIMEK_STAGE/$(dirname "$f")"
                cp "$DORIMEK_ROOT/samples/$f" "$DORIMEK_STAGE/$f"
            fi
        done
    fi
}
