#!/usr/bin/env bash
# Installs what is missing, builds, stages build/dorimek/ and starts the program
# from it. Arguments pass through: ./run.sh auto
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"

ensure_packages "${RUN_PACKAGES[@]}"
build_project "$DORIMEK_BUILD" -DBUILD_TESTING=OFF -DDORIMEK_BENCH=OFF
stage_program_folder

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat <<MSG
画面（ディスプレイ）が見つかりません。プログラムは $DORIMEK_STAGE/dorimek にできています。
No display found. The program is built in $DORIMEK_STAGE/dorimek. To run it without a screen:
    apt-get install xvfb xauth
    xvfb-run -a $DORIMEK_STAGE/dorimek $*
MSG
    exit 1
fi
cd "$DORIMEK_STAGE"
exec ./dorimek "$@"
