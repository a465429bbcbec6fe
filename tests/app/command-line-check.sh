#!/usr/bin/env bash
# command-line-check.sh DORIMEK WORK_DIR MANUAL_PAGE
#
# Each row runs the program from a scratch folder with no display in its
# environment (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset) and checks
# its exit status and what it wrote: the help in the locale's language with
# every exit status of an automatic start, the version, and one Japanese line
# instead of Qt's abort where no display can be opened. The manual page
# explains the same exit statuses and formats without a warning.
set -u
program=$1
work=$2
manual=$3
rm -rf "$work"
mkdir -p "$work"
cp "$program" "$work/dorimek" || exit 1

failures=0
# name | environment | arguments | status | stream | texts that must appear (;-separated)
rows=(
    "help, Japanese|LANG=ja_JP.UTF-8|--help|0|out|使い方;auto;プリンタ番号;終了コード;xvfb-run;English"
    "help, LC_ALL over LANG|LANG=C LC_ALL=ja_JP.UTF-8|--help|0|out|使い方"
    "help, English|LANG=C|--help|0|out|Usage;auto;printer-index;Exit status"
    "version|LANG=C|--version|0|out|dorimek 1.0"
    "no display|LANG=ja_JP.UTF-8||30|err|画面（ディスプレイ）を開けない;xvfb-run"
    "no display, auto|LANG=C|auto - 1|30|err|画面（ディスプレイ）を開けない;xvfb-run"
    "display that can't be reached|DISPLAY=:4711 LANG=C|auto|30|err|DISPLAY=:4711"
    "wayland without its socket name|QT_QPA_PLATFORM=wayland LANG=C|auto|30|err|WAYLAND_DISPLAY"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name environment arguments status stream texts <<<"$row"
    # shellcheck disable=SC2086 # the environment and arguments are word lists
    (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $environment \
        timeout 60 ./dorimek $arguments >"$work/out" 2>"$work/err")
    got=$?
    [ "$got" = "$status" ] || { echo "FAIL: $name: exit status $got, expected $status" >&2; failures=$((failures + 1)); }
    IFS=';' read -ra wanted <<<"$texts"
    for text in "${wanted[@]}"; do
        grep -qF -- "$text" "$work/$stream" || {
            echo "FAIL: $name: '$text' not in its standard $stream:" >&2
            cat "$work/$stream" >&2
            failures=$((failures + 1))
        }
    done
    if [ "$status" = 30 ]; then
        [ "$(wc -l <"$work/err")" -eq 1 ] || { echo "FAIL: $name: not one line:" >&2; cat "$work/err" >&2; failures=$((failures + 1)); }
    fi
done
# Every status of the table is explained in both languages and in the manual.
for language in ja_JP.UTF-8 C; do
    (cd "$work" && env -u DISPLAY LANG=$language ./dorimek --help >"$work/help")
    for status in 0 10 11 12 13 14 15 16 20 21 22 30 40; do
        grep -Eq "^ +$status  [^ ]" "$work/help" || { echo "FAIL: help ($language) lacks status $status" >&2; failures=$((failures + 1)); }
    done
done
for status in $(sed -nE 's/^ +([0-9]+)  .*/\1/p' "$work/help"); do
    grep -qx "\.B $status" "$manual" || { echo "FAIL: the manual page lacks status $status" >&2; failures=$((failures + 1)); }
done
if command -v man >/dev/null 2>&1; then
    # Japanese has no spaces for groff to break lines at: those warnings say nothing.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>&1 >/dev/null |
        grep -v -e "can't break line" -e "cannot adjust line")
    [ -z "$warnings" ] || { echo "FAIL: man --warnings: $warnings" >&2; failures=$((failures + 1)); }
fi
if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "command line: all checks passed"
