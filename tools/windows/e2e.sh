# The end-to-end part of tools/windows/test.sh (sourced there): install,
# start, and one unattended print per style, each compared with the Debian
# build's sheet of the same prescription.

wait_for_job() {  # wait_for_job <folder> <count before> -> path of the new job
    local folder="$1" before="$2" i
    for i in $(seq 1 240); do
        if [ "$(find "$folder" -maxdepth 1 -name 'job-*.p*' | wc -l)" -gt "$before" ]; then
            ls -t "$folder"/job-*.p* | grep -v options | head -n 1
            return 0
        fi
        sleep 0.5
    done
    return 1
}

set_ini() {  # set_ini <file> <key> <value>: the line's bytes, CR LF kept
    sed -i "s/^$2=[^\r]*/$2=$3/" "$1"
}

run_e2e() {
    local setup version folder before job ref style status
    version="$(sed -n 's/^project(dorimek VERSION \([0-9.]*\).*/\1/p' "$WIN_ROOT/CMakeLists.txt")"
    setup="$WIN_BUILD/dorimek-setup-$version.exe"
    [ -f "$setup" ] || { fail "no setup program $setup"; return; }

    cups_dir="$work/cups"
    sh "$WIN_ROOT/tests/cups/cupsd-fixture.sh" start "$cups_dir" >/dev/null
    if [ -f "$cups_dir/unavailable" ]; then
        fail "test spooler unavailable: $(cat "$cups_dir/unavailable")"
        return
    fi
    # Wine reads the queues from the spooler when a program starts; an
    # absolute socket path, a relative one reads as "not running".
    export CUPS_SERVER="$cups_dir/run/cups.sock"
    "$WINESERVER" -k 2>/dev/null || true

    unset WINEPATH QT_PLUGIN_PATH

    echo "--- silent install"
    if ! timeout 300 nice -n 19 "$WINE64" "$setup" /S '/D=C:\dorimek'; then
        fail "setup program /S"
    fi
    "$WINESERVER" -w
    folder="$WINEPREFIX/drive_c/dorimek"
    for f in dorimek.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6PrintSupport.dll platforms/qwindows.dll \
        uninstall.exe yakujo.txt sorbenk.ini qev/rp.csv; do
        [ -f "$folder/$f" ] || fail "installed folder lacks $f"
    done
    [ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/dorimek.lnk" ] ||
        fail "no Start-menu entry"
    cmp -s "$folder/yakujo.txt" "$WIN_ROOT/samples/yakujo.txt" || fail "sample yakujo.txt differs"

    echo "--- the installed program starts and draws its window"
    if ! (cd "$folder" && DORIMEK_STARTUP_PROBE=1 timeout 300 nice -n 19 "$WINE64" 'C:\dorimek\dorimek.exe' \
        >"$work/start.log" 2>&1); then
        fail "dorimek.exe did not start and draw its window (exit $?)"
    fi

    # The Debian build prints the same prescription for comparison.
    local debian="$work/debian"
    mkdir -p "$debian"
    cp -r "$WIN_ROOT/samples/." "$debian/"
    cp "$DORIMEK_DEBIAN_EXE" "$debian/dorimek"

    for style in 1 2 3; do
        echo "--- dorimek.exe auto, style $style"
        for ini in "$folder/sorbenk.ini" "$debian/sorbenk.ini"; do
            set_ini "$ini" prindex -1
            set_ini "$ini" prev 0
            set_ini "$ini" style "$style"
        done
        before=$(find "$cups_dir/capture" -maxdepth 1 -name 'job-*.p*' | wc -l)
        status=0
        (cd "$folder" && timeout 600 nice -n 19 "$WINE64" 'C:\dorimek\dorimek.exe' auto \
            >"$work/auto$style.log" 2>&1) || status=$?
        [ "$status" -eq 0 ] || fail "style $style: dorimek.exe auto exited $status"
        job="$(wait_for_job "$cups_dir/capture" "$before")" || { fail "style $style: no job captured"; continue; }
        before=$((before + 1))
        status=0
        (cd "$debian" && QT_QPA_PLATFORM=offscreen timeout 300 nice -n 19 ./dorimek auto \
            >"$work/debian$style.log" 2>&1) || status=$?
        [ "$status" -eq 0 ] || fail "style $style: Debian auto exited $status"
        ref="$(wait_for_job "$cups_dir/capture" "$before")" || { fail "style $style: no Debian job"; continue; }
        cp "$job" "$work/windows-style$style.ps"
        if ! nice -n 19 python3 "$WIN_TOOLS/compare-sheets.py" "$job" "$ref" "$work/style$style" \
            "$folder/qev/rp.csv"; then
            fail "style $style: the Windows sheet differs from the Debian one"
        fi
    done
    if [ -n "${DORIMEK_WINDOWS_KEEP:-}" ]; then cp "$work"/style* "$work"/*.ps "$DORIMEK_WINDOWS_KEEP/" 2>/dev/null || true; fi

    echo "--- silent uninstall keeps the clinic's data"
    timeout 300 nice -n 19 "$WINE64" 'C:\dorimek\uninstall.exe' /S || fail "uninstaller /S"
    "$WINESERVER" -w
    # The uninstaller copies itself away and returns at once; its copy works on.
    for _ in $(seq 1 120); do [ -f "$folder/dorimek.exe" ] || break; sleep 0.5; done
    [ -f "$folder/dorimek.exe" ] && fail "uninstall left dorimek.exe"
    for f in yakujo.txt sorbenk.ini qev/rp.csv; do
        [ -f "$folder/$f" ] || fail "uninstall removed the clinic's $f"
    done
}
