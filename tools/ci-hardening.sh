#!/usr/bin/env bash
# Hardening checks for CI, run by test.sh after the normal tests.
#
#   tools/ci-hardening.sh asan   the core tests (every GoogleTest binary, the
#                                parsers among them) built with AddressSanitizer
#                                and UndefinedBehaviorSanitizer
#   tools/ci-hardening.sh fuzz   every libFuzzer target, about a minute each,
#                                two at a time
#   tools/ci-hardening.sh all    both
#
# Build folders: $DORIMEK_ASAN_BUILD and $DORIMEK_FUZZ_BUILD, by default asan/
# and fuzz/ inside $DORIMEK_BUILD (build/). FUZZ_SECONDS (60) sets the time of
# each fuzzer, FUZZ_JOBS (2) how many run at once. Exits non-zero on any test
# failure, sanitizer report or fuzzer crash; a crashing input is kept in
# $DORIMEK_FUZZ_BUILD/artifacts.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

ASAN_DIR="${DORIMEK_ASAN_BUILD:-$DORIMEK_BUILD/asan}"
FUZZ_DIR="${DORIMEK_FUZZ_BUILD:-$DORIMEK_BUILD/fuzz}"
FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
FUZZ_JOBS="${FUZZ_JOBS:-2}"
JOBS="$(nproc)"
FUZZERS=(fuzz_yakujo fuzz_settings fuzz_rpcsv fuzz_photo fuzz_textwrap)
# Optimised, with line tables only: all a sanitizer report needs for its
# stack traces, and a good third less compile time than full debug info.
RELWITHDEBINFO_FLAGS="-O2 -g1 -DNDEBUG"

log() { echo "==> [hardening] $*"; }

run_asan() {
    local start=$SECONDS
    log "sanitizer build in $ASAN_DIR"
    cmake -S "$DORIMEK_ROOT" -B "$ASAN_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$RELWITHDEBINFO_FLAGS" \
        -DDORIMEK_SANITIZE=ON -DBUILD_TESTING=ON -DDORIMEK_BENCH=OFF >/dev/null
    cmake --build "$ASAN_DIR" --target core_tests -j"$JOBS"
    # A few core tests run a program of their own rather than a GoogleTest
    # binary of core_tests; those programs are built too.
    local extra
    extra="$(programs_missing "$ASAN_DIR")"
    if [ -n "$extra" ]; then
        log "building the programs of the other core tests: $extra"
        # shellcheck disable=SC2086
        cmake --build "$ASAN_DIR" --target $extra -j"$JOBS"
    fi
    log "sanitizer build took $((SECONDS - start)) s"

    # Leaks are checked; only leaks inside system libraries are suppressed.
    local asan="halt_on_error=1:detect_leaks=1:check_initialization_order=1"
    export ASAN_OPTIONS="$asan:detect_odr_violation=2"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    export LSAN_OPTIONS="suppressions=$DORIMEK_ROOT/tools/lsan-suppressions.txt:print_suppressions=0"
    local tests=$SECONDS
    # The install check copies the GUI program into a program folder: it
    # tests packaging, not code, and would need the whole program built
    # with the sanitizers. Every other core test runs.
    (cd "$ASAN_DIR" && ctest -L core -E '^install_program_folder$' --output-on-failure \
        -j"$JOBS" --timeout 600)
    log "sanitizer tests took $((SECONDS - tests)) s; asan mode $((SECONDS - start)) s in all"
}

# The targets of the programs that core tests of build folder $1 run and that
# aren't built yet (a program's file name is its target's name). ctest knows
# the tests of a label; the programs are read from the generated test files.
programs_missing() {
    local build core name program
    build="$(cd "$1" && pwd -P)"
    core="$(cd "$build" && ctest -N -L core | sed -n 's/^ *Test *#[0-9]*: //p')"
    { grep -rh --include=CTestTestfile.cmake '^add_test(' "$build" || true; } |
        sed -n 's/^add_test(\[=\[\(.*\)\]=\] "\([^"]*\)".*/\1\t\2/p' |
        while IFS=$'\t' read -r name program; do
            case "$program" in "$build"/*) ;; *) continue ;; esac
            [ -e "$program" ] && continue
            if grep -Fxq -- "$name" <<<"$core"; then basename "$program"; fi
        done | sort -u | tr '\n' ' '
}

# The number of inputs a finished fuzzer ran, from its final statistics.
executions() {
    sed -n 's/^stat::number_of_executed_units: *//p' "$1" | tail -n 1
}

run_fuzz() {
    local start=$SECONDS
    log "fuzz build in $FUZZ_DIR"
    local flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    cmake -S "$DORIMEK_ROOT" -B "$FUZZ_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$RELWITHDEBINFO_FLAGS" \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
        -DDORIMEK_FUZZ=ON -DBUILD_TESTING=OFF -DDORIMEK_BENCH=OFF >/dev/null
    cmake --build "$FUZZ_DIR" --target fuzzers -j"$JOBS"
    log "fuzz build took $((SECONDS - start)) s"

    # Seeds are copied, so whatever the fuzzers add stays out of the tree;
    # the scratch files the targets write go to a memory file system when
    # there is one, and are removed even after a crash.
    local work scratch_base="/tmp"
    [ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
    work="$(mktemp -d "${TMPDIR:-/tmp}/dorimek-fuzz-run.XXXXXX")"
    local scratch
    scratch="$(mktemp -d "$scratch_base/dorimek-fuzz-scratch.XXXXXX")"
    # shellcheck disable=SC2064
    trap "rm -rf '$work' '$scratch'" EXIT
    mkdir -p "$FUZZ_DIR/artifacts"

    local name
    for name in "${FUZZERS[@]}"; do
        mkdir -p "$work/$name/corpus"
        cp "$DORIMEK_ROOT/fuzz/corpus/$name/"* "$work/$name/corpus/"
    done

    local -A pid_of=()
    local failed=() running=0
    local fuzz_start=$SECONDS
    start_fuzzer() {
        local n="$1"
        (
            cd "$work/$n"
            # Qt's image reader says why it rejects a damaged bitmap; the
            # decoder reports that itself, so the log keeps to findings.
            TMPDIR="$scratch" QT_LOGGING_RULES="qt.gui.imageio=false" \
                ASAN_OPTIONS="halt_on_error=1:detect_leaks=1" \
                UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
                "$FUZZ_DIR/fuzz/$n" corpus -max_total_time="$FUZZ_SECONDS" -timeout=30 \
                -rss_limit_mb=3072 -print_final_stats=1 \
                -artifact_prefix="$FUZZ_DIR/artifacts/$n-" >"$work/$n.log" 2>&1
        ) &
        pid_of[$n]=$!
    }
    finish_fuzzer() {
        local n="$1"
        if wait "${pid_of[$n]}"; then
            log "$n: $(executions "$work/$n.log") runs in ${FUZZ_SECONDS} s, nothing found"
        else
            log "$n: FAILED; the end of its log:"
            tail -n 60 "$work/$n.log"
            failed+=("$n")
        fi
    }

    local queue=("${FUZZERS[@]}") order=()
    while [ ${#queue[@]} -gt 0 ] || [ $running -gt 0 ]; do
        while [ ${#queue[@]} -gt 0 ] && [ $running -lt "$FUZZ_JOBS" ]; do
            start_fuzzer "${queue[0]}"
            order+=("${queue[0]}")
            queue=("${queue[@]:1}")
            running=$((running + 1))
        done
        # Wait for the oldest; the fuzzers run for the same time, so it is
        # the first to end.
        finish_fuzzer "${order[0]}"
        order=("${order[@]:1}")
        running=$((running - 1))
    done
    log "fuzzing took $((SECONDS - fuzz_start)) s; fuzz mode $((SECONDS - start)) s in all"

    if [ ${#failed[@]} -gt 0 ]; then
        log "fuzzers that failed: ${failed[*]} (inputs in $FUZZ_DIR/artifacts)"
        return 1
    fi
}

case "${1:-}" in
    asan) run_asan ;;
    fuzz) run_fuzz ;;
    all) run_asan && run_fuzz ;;
    *)
        echo "usage: $0 asan|fuzz|all" >&2
        exit 2
        ;;
esac
