#!/usr/bin/env bash
# The built console on a real X server (Xvfb) with a window manager, against
# the simulated printer, driven by keys:
#  - it identifies the printer and maps its main window (class "KavorU");
#  - a second start ends at once and leaves one window;
#  - Alt+K, Enter opens the communication dialog, Esc closes it;
#  - a copy killed outright does not block the next start;
#  - closing the window ends the program and closes the port.
# usage: console_x11_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
console=$build/operator_console/kavoruw
sim_bin=$build/tools/printer_sim/kavor-printer-sim

if ! command -v Xvfb >/dev/null; then
  echo "SKIPPED: Xvfb is not installed (scripts/install-deps installs it with the window manager)"
  exit 77
fi
for tool in openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is not installed (scripts/install-deps)"; exit 1; }
done

# Copies of the console meet through an abstract socket of the network
# namespace: a private one keeps this test apart from any other console (or
# test) of the same user on the machine.
if [[ -z "${KAVORUW_E2E_PRIVATE:-}" ]]; then
  export KAVORUW_E2E_PRIVATE=1
  for ns in "unshare -n" "unshare -rn"; do
    if $ns true 2>/dev/null; then exec $ns "$0" "$@"; fi
  done
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  echo "--- console output"; cat "$work"/console*.log 2>/dev/null
  echo "--- wire"; head -20 "$work/wire.log" 2>/dev/null
  exit 1
}

# No session bus: nothing may wait for one.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export NO_AT_BRIDGE=1
# A free display: Xvfb tells which one it took.
exec 5<> <(:)
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 display <&5 || fail "Xvfb did not start"
export DISPLAY=":$display"
# Openbox runs its start-up command once it manages windows.
openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -e "$work/wm-ready" ]] && break; sleep 0.1; done
[[ -e "$work/wm-ready" ]] || fail "openbox did not start"

mkfifo "$work/keep"
"$sim_bin" --kind 3 --port-dir "$work" --com 1 --log <"$work/keep" >"$work/wire.log" &
pids+=($!)
exec 3>"$work/keep"
for _ in $(seq 50); do [[ -e "$work/COM1" ]] && break; sleep 0.1; done
export KAVORUW_PORT_DIR=$work
unset QT_QPA_PLATFORM

main_window() { xdotool search --onlyvisible --class '^KavorU$' 2>/dev/null | head -1; }
wait_window() {
  for _ in $(seq 100); do
    w=$(main_window)
    [[ -n "$w" ]] && return 0
    sleep 0.1
  done
  return 1
}
windows_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

# A copy killed outright leaves nothing behind.
(cd "$work" && exec "$console" COM1 9600 >"$work/console0.log" 2>&1) &
first=$!
pids+=($first)
wait_window || fail "the first copy's window never mapped"
kill -9 "$first"
wait "$first" 2>/dev/null
for _ in $(seq 50); do [[ -z "$(main_window)" ]] && break; sleep 0.1; done

(cd "$work" && exec "$console" COM1 9600 >"$work/console1.log" 2>&1) &
app=$!
pids+=($app)
wait_window || fail "the window never mapped after a killed copy"
name=$(xdotool getwindowname "$w")
[[ "$name" == "Program użytkownika drukarek fiskalnych VELTA Kavor i Kavor F" ]] ||
  fail "caption is '$name'"
xprop -id "$w" WM_CLASS | grep -q '"KavorU"' || fail "window class: $(xprop -id "$w" WM_CLASS)"
xprop -id "$w" _NET_WM_ICON_NAME | grep -q '"KavorU"' || fail "icon title: $(xprop -id "$w")"
# The printer was asked and answered.
for _ in $(seq 50); do grep -q '^<' "$work/wire.log" && break; sleep 0.1; done
grep -q '^<' "$work/wire.log" || fail "the printer was never identified"

# A second start ends at once and shows nothing.
start=$(date +%s%N)
timeout 20 "$console" COM1 9600 >"$work/console2.log" 2>&1 || fail "second start exit code $?"
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "second start ended after ${elapsed} ms"
[[ $(xdotool search --onlyvisible --class '^KavorU$' | wc -l) -eq 1 ]] || fail "more than one window"

# The communication dialog by keys.
xdotool windowactivate --sync "$w" 2>/dev/null
xdotool key --clearmodifiers alt+k
sleep 0.3
xdotool key Return
for _ in $(seq 50); do [[ $(windows_named '^Ustaw parametry komunikacji$') -ge 1 ]] && break; sleep 0.1; done
[[ $(windows_named '^Ustaw parametry komunikacji$') -ge 1 ]] || fail "the dialog did not open"
xdotool key Escape
for _ in $(seq 50); do [[ $(windows_named '^Ustaw parametry komunikacji$') -eq 0 ]] && break; sleep 0.1; done
[[ $(windows_named '^Ustaw parametry komunikacji$') -eq 0 ]] || fail "Esc did not close the dialog"

# Closing the window ends the program.
xdotool windowactivate --sync "$w" 2>/dev/null
xdotool key --clearmodifiers alt+F4
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not end when its window closed"
wait "$app"
code=$?
[[ $code -eq 0 ]] || fail "exit code $code"
echo "passed"
