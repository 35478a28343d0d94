#!/usr/bin/env bash
# Runs the program on its own Xvfb display with a private D-Bus session and the accessibility bus,
# then the Python client against it. Exit 77 (skipped) only when that bus cannot be started.
set -euo pipefail
program=$1
client=$2

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

skip() { echo "SKIPPED: $*"; exit 77; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/setup installs it)"
command -v dbus-daemon >/dev/null || skip "dbus-daemon is not installed"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || skip "at-spi2-core's bus launcher is not installed (scripts/setup installs it)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed (scripts/setup installs it)"

# A display of its own, chosen by the server.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# A session bus of its own, so nothing of the desktop running the tests is touched.
dbus-daemon --session --fork --nopidfile --print-address=4 --print-pid=5 4>"$work/address" 5>"$work/bus.pid"
pids+=("$(cat "$work/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/address")

"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
pids+=($!)
up=false
for _ in $(seq 100); do
    if dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1; then
        up=true
        break
    fi
    sleep 0.1
done
$up || { cat "$work/launcher.log"; skip "the accessibility bus did not start"; }

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_STATE_HOME="$work/home/.local/state"
export XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
    "$program" --virtual-mouse i2c >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

status=0
timeout 150 /usr/bin/python3 "$client" || status=$?
if [ "$status" -ne 0 ]; then
    echo "--- program output"
    cat "$work/program.log"
fi
exit "$status"
