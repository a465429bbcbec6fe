#!/bin/sh
# A private print spooler for tests that print for real.
#
#   cupsd-fixture.sh start DIR    start it (DIR is created; use a folder in the build tree)
#   cupsd-fixture.sh stop DIR     stop it again
#
# What a test gets once "start" has run:
#   socket      DIR/run/cups.sock     the only place the spooler listens; give it to
#                                     libcups as CUPS_SERVER=DIR/run/cups.sock (ctest
#                                     ENVIRONMENT) so the program sees only these queues
#   queue       "capture"             the default queue: every job's file is copied,
#                                     unchanged (no filters), to DIR/capture/job-<id>.pdf;
#                                     a file appears there only once it is complete
#   queue       "rejecting"           exists but refuses every job (not accepting)
#   queues      "t-driverless-no-jis-b5", "t-driverless-custom-size",
#               "t-driverless-b5-borderless": driverless (IPP Everywhere, "-m
#               everywhere") queues of printers simulated by ippeveprinter with
#               the media lists of driverless-*.conf beside this script; such a
#               printer refuses a job whose paper it doesn't list. Each listens
#               on a free loopback port (DIR/ipp/<name>.port); they are left
#               out, with the reason in DIR/ipp/unavailable, where ippeveprinter
#               or dbus-daemon (which it needs to start) is missing or
#               doesn't start; tests fail on that under DORIMEK_REQUIRE_CUPS=1.
#   log         DIR/log/error_log
# With the queues sorted by name, "capture" is printer index 0 and "rejecting" 1.
#   spool       DIR/spool/d<job id>-001  every job's document as submitted, kept
#                                     (PreserveJobFiles), also behind a driver
#
# Where the spooler can't be started (not installed, not root), "start" still
# succeeds but writes the reason to DIR/unavailable, and tests should skip with
# that reason; any other failure of "start" makes it fail. The spooler is the
# system's cupsd with a configuration of its own, a ServerBin of symlinks to the
# system's /usr/lib/cups and our capture backend (capture-backend.sh) beside them.
#
# In CMake: tests/cups/CMakeLists.txt registers this as the ctest fixture
# "cupsd" (tests cupsd_start / cupsd_stop); a test sets
#   FIXTURES_REQUIRED cupsd
#   ENVIRONMENT "CUPS_SERVER=${DORIMEK_CUPS_SOCKET};DORIMEK_CUPS_DIR=${DORIMEK_CUPS_DIR}"
set -u

action=${1:-}
dir=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "$action" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR" >&2
    exit 2
fi
mkdir -p "$dir" || exit 1
dir=$(cd "$dir" && pwd)
sock="$dir/run/cups.sock"
pidfile="$dir/cupsd.pid"

unavailable() {
    echo "$1" > "$dir/unavailable"
    echo "cupsd fixture: $1" >&2
    exit 0
}

# Whether a process runs; one that has ended but nobody reaped (this script
# has gone, and a container's first process may not reap) counts as ended.
running() {
    kill -0 "$1" 2>/dev/null || return 1
    state=$(sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -c1)
    [ "$state" != Z ]
}

stop_pid() {
    if [ -f "$1" ]; then
        pid=$(cat "$1")
        if [ -n "$pid" ] && running "$pid"; then
            kill "$pid"
            i=0
            while running "$pid" && [ $i -lt 50 ]; do
                sleep 0.1
                i=$((i + 1))
            done
            running "$pid" && kill -9 "$pid"
        fi
        rm -f "$1"
    fi
}

stop() {
    for p in "$dir"/ipp/*.pid; do
        [ -f "$p" ] && stop_pid "$p"
    done
    stop_pid "$dir/dbus.pid"
    stop_pid "$pidfile"
    rm -f "$sock"
}

case "$action" in
stop)
    stop
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac

stop
rm -f "$dir/unavailable"
cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
[ -x "$cupsd" ] || unavailable "cupsd is not installed (packages cups, cups-client)"
command -v lpadmin >/dev/null 2>&1 || unavailable "lpadmin is not installed (package cups-client)"
[ "$(id -u)" = 0 ] || unavailable "cupsd runs backends as root only when started by root"
[ -d /usr/lib/cups ] || unavailable "/usr/lib/cups is missing"

rm -rf "$dir/conf" "$dir/serverbin" "$dir/spool" "$dir/cache" "$dir/state" "$dir/tmp" \
    "$dir/log" "$dir/capture" "$dir/run" "$dir/ipp"
mkdir -p "$dir/conf" "$dir/serverbin/backend" "$dir/spool" "$dir/cache" "$dir/state" \
    "$dir/tmp" "$dir/log" "$dir/capture" "$dir/run" || exit 1
chmod 755 "$dir/run"
# Drivers' filters run as the spooler's unprivileged user and write here.
chmod 1777 "$dir/tmp"

# ServerBin: the system's helpers, and our backend among the system's backends.
for sub in /usr/lib/cups/*; do
    name=$(basename "$sub")
    [ "$name" = backend ] || ln -s "$sub" "$dir/serverbin/$name"
done
for b in /usr/lib/cups/backend/*; do
    ln -s "$b" "$dir/serverbin/backend/$(basename "$b")"
done
# Mode 0700: cupsd runs such a backend as root, so it may write the capture folder.
install -m 0700 "$here/capture-backend.sh" "$dir/serverbin/backend/capture" || exit 1

cat > "$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
ServerBin $dir/serverbin
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
SystemGroup root
CONF

cat > "$dir/conf/cupsd.conf" <<CONF
Listen $sock
Browsing No
WebInterface No
LogLevel warn
MaxLogSize 0
PreserveJobFiles Yes
PreserveJobHistory Yes
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF

"$cupsd" -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
    > "$dir/log/cupsd.out" 2>&1 &
echo $! > "$pidfile"

i=0
while [ ! -S "$sock" ] && [ $i -lt 100 ]; do
    if ! running "$(cat "$pidfile")"; then
        rm -f "$pidfile"
        unavailable "cupsd exited at start: $(tail -n 3 "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tr '\n' ' ')"
    fi
    sleep 0.1
    i=$((i + 1))
done
[ -S "$sock" ] || { stop; unavailable "cupsd did not open $sock"; }

lp_admin() {
    out=$(lpadmin -h "$sock" "$@" 2>&1)
    rc=$?
    # Raw queues are deprecated in CUPS 2.4 but work; don't fail on the notice.
    echo "$out" | grep -v -i "deprecated" >&2
    return $rc
}
lp_admin -p capture -E -v "capture:$dir/capture" -m raw || { stop; echo "cannot add queue capture" >&2; exit 1; }
lp_admin -d capture || { stop; exit 1; }
mkdir -p "$dir/capture-rejected"
lp_admin -p rejecting -E -v "capture:$dir/capture-rejected" -m raw || { stop; exit 1; }
cupsreject -h "$sock" -r "test queue that refuses jobs" rejecting || { stop; exit 1; }

# Driverless printers. ippeveprinter won't start without a message bus to
# announce itself on; a private bus of our own serves, and announcing is off.
start_driverless() {
    mkdir -p "$dir/ipp"
    command -v ippeveprinter >/dev/null 2>&1 || PATH="$PATH:/usr/sbin"
    if ! command -v ippeveprinter >/dev/null 2>&1 || ! command -v ipptool >/dev/null 2>&1; then
        echo "ippeveprinter is not installed (package cups-ipp-utils)" > "$dir/ipp/unavailable"
        return 0
    fi
    if ! command -v dbus-daemon >/dev/null 2>&1; then
        echo "dbus-daemon is not installed (package dbus-daemon)" > "$dir/ipp/unavailable"
        return 0
    fi
    cat > "$dir/run/bus.conf" <<BUS
<busconfig>
  <type>session</type>
  <listen>unix:path=$dir/run/bus.sock</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
    dbus-daemon --nofork --config-file="$dir/run/bus.conf" > "$dir/log/dbus.out" 2>&1 &
    echo $! > "$dir/dbus.pid"
    i=0
    while [ ! -S "$dir/run/bus.sock" ] && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    if [ ! -S "$dir/run/bus.sock" ]; then
        echo "dbus-daemon did not start: $(tail -n 2 "$dir/log/dbus.out" | tr '\n' ' ')" > "$dir/ipp/unavailable"
        return 0
    fi
    cat > "$dir/run/ready.test" <<'TEST'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  STATUS successful-ok
}
TEST
    # Ports from a range of our own, away from the usual services; a port in
    # use makes ippeveprinter end at once, and the next one is tried.
    port=$((20000 + ($$ * 37) % 20000))
    for conf in "$here"/driverless-*.conf; do
        name=t-$(basename "$conf" .conf)
        started=
        tries=0
        while [ -z "$started" ] && [ $tries -lt 20 ]; do
            port=$((port + 1))
            tries=$((tries + 1))
            mkdir -p "$dir/ipp/$name.spool"
            DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/run/bus.sock" \
                ippeveprinter -n localhost -p "$port" -r off -d "$dir/ipp/$name.spool" \
                -c /bin/true -a "$conf" "$name" > "$dir/log/$name.log" 2>&1 &
            echo $! > "$dir/ipp/$name.pid"
            i=0
            while [ $i -lt 100 ] && running "$(cat "$dir/ipp/$name.pid")"; do
                # Its answer, not ipptool's verdict: the attributes of the
                # media lists come twice (ours first), which ipptool faults.
                if ipptool -t -T 1 "ipp://localhost:$port/ipp/print" "$dir/run/ready.test" \
                    2>/dev/null | grep -q 'status-code = successful-ok'; then
                    started=yes
                    break
                fi
                sleep 0.1
                i=$((i + 1))
            done
            # Still running without answering: not a port taken, give up.
            [ -n "$started" ] || [ $i -ge 100 ] && break
            stop_pid "$dir/ipp/$name.pid"
        done
        if [ -z "$started" ]; then
            stop_pid "$dir/ipp/$name.pid"
            echo "ippeveprinter $name did not start: $(tail -n 2 "$dir/log/$name.log" | tr '\n' ' ')" \
                > "$dir/ipp/unavailable"
            return 0
        fi
        echo "$port" > "$dir/ipp/$name.port"
        lp_admin -p "$name" -E -v "ipp://localhost:$port/ipp/print" -m everywhere || return 1
    done
    # The spooler makes a driverless queue's description in the background;
    # a queue is ready once that lists its paper.
    for conf in "$here"/driverless-*.conf; do
        name=t-$(basename "$conf" .conf)
        i=0
        while ! grep -q '^\*DefaultPageSize' "$dir/conf/ppd/$name.ppd" 2>/dev/null && [ $i -lt 150 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        grep -q '^\*DefaultPageSize' "$dir/conf/ppd/$name.ppd" 2>/dev/null || {
            echo "the spooler made no description of $name: $(grep "$name" "$dir/log/error_log" | tail -n 1)" \
                > "$dir/ipp/unavailable"
            return 0
        }
    done
}
start_driverless || { stop; exit 1; }
echo "cupsd fixture: running, socket $sock, capture folder $dir/capture"
exit 0
