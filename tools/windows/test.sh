#!/usr/bin/env bash
# The Windows build under wine.
#
#   tools/windows/test.sh core   the core tests, cross-built, run under wine
#   tools/windows/test.sh e2e    the setup program installs silently into a
#                                fresh wine prefix, the installed program
#                                starts, and "dorimek.exe auto" prints a sheet
#                                in each style to the test spooler's capture
#                                queue; each job is read back
#   tools/windows/test.sh        both
#
# Never builds Qt: without the toolchain or a complete Qt cache it says why in
# one line and exits 0 (tools/windows/build.sh fills the cache).
set -euo pipefail
source "$(dirname "$0")/env.sh"

what="${1:-all}"
# The Debian build's program, whose sheets the Windows ones are compared with.
DORIMEK_DEBIAN_EXE="${DORIMEK_DEBIAN_EXE:-${DORIMEK_BUILD:-$WIN_ROOT/build}/src/app/dorimek}"
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

skip() {
    echo "Windows stage skipped: $1"
    exit 0
}
command -v "$WIN_TRIPLE-g++-posix" >/dev/null || skip "no mingw-w64 cross compiler (g++-mingw-w64-x86-64-posix)"
[ -x "$WINE64" ] || skip "no 64-bit wine (wine64)"
command -v makensis >/dev/null || skip "no NSIS (nsis)"
qt="$(win_qt_prefix)"
[ -f "$qt/$WIN_COMPLETE" ] || skip "no complete Qt for Windows in $qt (run tools/windows/build.sh once)"
win_ensure_packages "${WIN_TEST_PACKAGES[@]}"

"$WIN_TOOLS/build.sh" --tests >/dev/null
gtest="$(win_gtest_prefix)"

work="$(mktemp -d "${TMPDIR:-/tmp}/dorimek-wine.XXXXXX")"
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k 2>/dev/null || true
    [ -n "${cups_dir:-}" ] && sh "$WIN_ROOT/tests/cups/cupsd-fixture.sh" stop "$cups_dir" >/dev/null 2>&1 || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A fresh prefix: no Mono or Gecko prompts, a crash ends the program instead
# of waiting in a dialog, and the Windows faces' names lead to the IPA faces
# Debian has (wine has no such fonts, and a fallback to a CFF face crashes its
# PostScript driver).
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
new_prefix() {
    win_nice "$WINE64" wineboot -u >/dev/null 2>&1
    local reg="$work/setup.reg"
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
        # A Japanese Windows' short date, which the sheet prints.
        printf '[HKEY_CURRENT_USER\\Control Panel\\International]\r\n"sShortDate"="yyyy/MM/dd"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        printf '"%s"="IPAPMincho"\r\n' "MS PMincho" "ＭＳ Ｐ明朝" "MS Mincho" "ＭＳ 明朝"
        printf '"%s"="IPAPGothic"\r\n' "MS PGothic" "ＭＳ Ｐゴシック" "MS Gothic" "ＭＳ ゴシック" \
            "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Tahoma" "Segoe UI"
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
    win_nice "$WINE64" regedit "$reg" >/dev/null 2>&1
    "$WINESERVER" -w
}

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

run_core() {
    local tests=() t log
    mapfile -t tests < <(find "$WIN_BUILD/tests" -name '*_test.exe' | sort)
    [ ${#tests[@]} -gt 0 ] || { fail "no core tests were built"; return; }
    # The DLLs of Qt, the C++ runtime and the platform plugin, found where
    # they were built; paths as wine sees them (Z: is the Debian root).
    local gcc_dir
    gcc_dir="$(dirname "$("$WIN_TRIPLE-g++-posix" -print-libgcc-file-name)")"
    export WINEPATH="Z:${qt//\//\\}\\bin;Z:${gcc_dir//\//\\};Z:\\usr\\$WIN_TRIPLE\\lib"
    export QT_PLUGIN_PATH="Z:${qt//\//\\}\\plugins"
    # The tests find their data through the source folder; "/work/..." on
    # Windows is a folder of the current drive, which changes as a test sets
    # the program folder, so the drive is named.
    export DORIMEK_SOURCE_DIR="Z:$WIN_ROOT"
    for t in "${tests[@]}"; do
        log="$work/$(basename "$t").log"
        # Qt's Windows platform on the X display wine draws to: the
        # offscreen one has no fonts on Windows.
        local args=(--gtest_brief=1)
        case "$(basename "$t")" in
            hensyuu_test.exe) args=() ;;
            # Not yet the same under wine: these measure text with the
            # offscreen platform, which finds no fonts on Windows, or read the
            # PDF with Debian's pdftotext, or set the locale through the
            # environment, which Windows doesn't read.
            report_engine_test.exe)
                args+=(--gtest_filter=-ReportRender.TextInkMatchesTheMeasuredLineAtEveryResolution:ReportTextMeasurer.LineHeightGrowsWithTheSizeAndIsNotDeviceDependent) ;;
            sheet_forms_test.exe)
                # By hand only (DORIMEK_WINDOWS_ALL_TESTS=1) until it holds under
                # wine: several cases read the PDF with Debian's pdftotext and
                # pdftoppm or set the locale through the environment, and in a
                # fresh prefix Qt's font list sometimes lacks the IPA faces
                # wine shows, so the measure differs from run to run.
                if [ -z "${DORIMEK_WINDOWS_ALL_TESTS:-}" ]; then
                    echo "skip  sheet_forms_test.exe: not yet the same under wine"
                    continue
                fi ;;
        esac
        if (cd "$WIN_BUILD" && timeout 900 nice -n 19 "$WINE64" "$t" "${args[@]}" >"$log" 2>&1); then
            echo "ok    $(basename "$t"): $(grep -E 'PASSED|^Totals' "$log" | tail -n 1)"
        else
            fail "$(basename "$t")"
            grep -E '^\[  FAILED  \]|Failure|error' "$log" | head -n 30
        fi
    done
}

[ "$what" = all ] || [ "$what" = core ] || [ "$what" = e2e ] || { echo "usage: $0 [core|e2e]" >&2; exit 2; }
# One X display of its own for everything wine shows.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM
new_prefix
if [ "$what" = all ] || [ "$what" = core ]; then
    echo "==> core tests under wine"
    run_core
fi
if [ "$what" = all ] || [ "$what" = e2e ]; then
    echo "==> end to end under wine"
    [ -x "$DORIMEK_DEBIAN_EXE" ] || fail "no Debian build at $DORIMEK_DEBIAN_EXE to compare the sheets with"
    source "$WIN_TOOLS/e2e.sh"
    run_e2e
fi
if [ "$failures" -gt 0 ]; then
    echo "Windows stage: $failures failure(s)"
    exit 1
fi
echo "Windows stage: all passed"
