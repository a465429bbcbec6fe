#!/usr/bin/env bash
# Every benchmark in one table: builds what is missing (Release, in build/
# unless DORIMEK_BUILD names another folder), starts the private print spooler
# for the host-started run, runs dorimek_bench and stops the spooler again.
#
#   bench/run-bench.sh [dorimek_bench options, e.g. --runs 5]
#
# Without a display the program runs on Qt's offscreen platform; set
# QT_QPA_PLATFORM=xcb under xvfb-run to measure with a real X server.
# The staged files (24 camera-size photos, master files up to 200,000
# records) are kept in $DORIMEK_BUILD/bench-work, so a second run starts at once.
set -euo pipefail
source "$(dirname "$0")/../tools/setup.sh"

build_dir="$DORIMEK_BUILD"
if [ ! -x "$build_dir/bench/dorimek_bench" ] || [ ! -x "$build_dir/src/app/dorimek" ]; then
    cmake -S "$DORIMEK_ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
# Always brought up to date: a table of an old program would say nothing.
cmake --build "$build_dir" -j"$(nproc)" --target dorimek_bench >/dev/null

work="$build_dir/bench-work"
spool="$build_dir/bench-cups"
mkdir -p "$work"
"$DORIMEK_ROOT/tests/cups/cupsd-fixture.sh" start "$spool"
trap '"$DORIMEK_ROOT/tests/cups/cupsd-fixture.sh" stop "$spool"' EXIT
if [ -f "$spool/unavailable" ]; then
    echo "private print spooler unavailable ($(cat "$spool/unavailable")): the host-started run is skipped" >&2
else
    export CUPS_SERVER="$spool/run/cups.sock"
fi
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')," \
     "$(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo) memory, load $(cut -d' ' -f1-3 /proc/loadavg)," \
     "QT_QPA_PLATFORM=$QT_QPA_PLATFORM"
"$build_dir/bench/dorimek_bench" --program "$build_dir/src/app/dorimek" --work "$work" "$@"
