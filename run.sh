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

# Started by root through sudo: packages and the build were root's business,
# the program is the staff user's. Japanese input (Mozc) does not run for
# root, and the data a root-run program saved could not be saved again by
# the user. sudo keeps DISPLAY and XAUTHORITY but drops the session's other
# variables; they are found again from the user's session where they can be.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    user_id=$(id -u "$SUDO_USER")
    chown -R "$SUDO_USER": "$DORIMEK_STAGE"
    runtime_dir="${XDG_RUNTIME_DIR:-/run/user/$user_id}"
    [ "$runtime_dir" = /run/user/0 ] && runtime_dir="/run/user/$user_id"
    session=()
    for var in DISPLAY XAUTHORITY WAYLAND_DISPLAY QT_QPA_PLATFORM LANG; do
        [ -n "${!var:-}" ] && session+=("$var=${!var}")
    done
    if [ -d "$runtime_dir" ]; then
        session+=(XDG_RUNTIME_DIR="$runtime_dir")
        [ -S "$runtime_dir/bus" ] && session+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime_dir/bus")
    fi
    im_module="${QT_IM_MODULE:-}"
    if [ -z "$im_module" ]; then
        if pgrep -u "$SUDO_USER" -x fcitx5 >/dev/null; then im_module=fcitx
        elif pgrep -u "$SUDO_USER" -x ibus-daemon >/dev/null; then im_module=ibus
        fi
    fi
    [ -n "$im_module" ] && session+=(QT_IM_MODULE="$im_module" XMODIFIERS="${XMODIFIERS:-@im=$im_module}")
    exec runuser -u "$SUDO_USER" -- env "${session[@]}" ./dorimek "$@"
fi
if [ "$(id -u)" -eq 0 ]; then
    echo "注意: root で起動しています。日本語入力（Mozc）は root では使えません。受付の利用者で ./run.sh を実行してください。" >&2
    echo "Note: running as root; Japanese input (Mozc) does not work for root. Run ./run.sh as the staff user." >&2
fi
exec ./dorimek "$@"
