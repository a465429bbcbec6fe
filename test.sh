#!/usr/bin/env bash
# Installs what is missing, builds with the tests, stages the program folder and
# runs every test with ctest; then the hardening checks: the core tests under
# the address and undefined-behaviour sanitizers, and a minute of each fuzzer.
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"

ensure_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_project "$DORIMEK_BUILD" -DBUILD_TESTING=ON
stage_program_folder

# In CI the real print spooler must start: a printing test may not pass by
# skipping there.
if [ "${CI:-}" = "true" ]; then export DORIMEK_REQUIRE_CUPS=1; fi

(cd "$DORIMEK_BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 600)

# The Windows build's core tests under wine run only when asked for with
# DORIMEK_WINDOWS_STAGE=1: the end-to-end run under wine doesn't hold yet, and
# the stage must not slow or break the Debian run. Asked for, it still skips
# with the reason where the cross toolchain or the built Qt for Windows is
# missing; it never builds Qt. The end-to-end part runs by hand:
# tools/windows/test.sh e2e.
if [ "${DORIMEK_WINDOWS_STAGE:-0}" = "1" ]; then
    "$DORIMEK_ROOT/tools/windows/test.sh" "${DORIMEK_WINDOWS_TESTS:-core}"
else
    echo "Windows stage skipped: off unless DORIMEK_WINDOWS_STAGE=1 (its end-to-end run under wine doesn't hold yet)"
fi

"$DORIMEK_ROOT/tools/ci-hardening.sh" asan
"$DORIMEK_ROOT/tools/ci-hardening.sh" fuzz
