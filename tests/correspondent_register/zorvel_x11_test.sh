#!/usr/bin/env bash
# zorvel on a real X server: Xvfb with a window manager, driven by keys with
# xdotool. A first start without a register shows the chooser; the mail root
# typed there is written to the configuration file and the register window
# maps; Esc ends the program. A second start finds the configured root and
# opens the register window at once.
# Usage: zorvel_x11_test.sh ZORVEL SAMPLE_MAIL_ROOT_TOOL
set -euo pipefail
zorvel=$1
sample=$2
for tool in Xvfb openbox xdotool xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Without a display: a line that says so, and exit code 1.
code=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$zorvel" 2>&1) || code=$?
[[ $code -eq 1 && "$out" == "zorvel: nie znaleziono ekranu (zmienna DISPLAY nie jest ustawiona)." ]] ||
  fail "a start without a display: exit code $code, said: $out"

# A display of our own.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

mkdir -p "$work/c" "$work/mail"
"$sample" "$work/mail/Zarzad" >/dev/null
export ZORVEL_DRIVES="C=$work/c,F=$work/f,G=$work/mail"
mkdir -p "$work/f"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# Waits for a window whose title contains $1 and checks that it is viewable.
wait_window() {
  local id=""
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [[ -n "$id" ]] && break
    sleep 0.1
  done
  [[ -n "$id" ]] || fail "no window \"$1\""
  xwininfo -id "$id" | grep -q "Map State: IsViewable" || fail "window \"$1\" is not mapped"
  echo "$id"
}

# First start: no register anywhere, the chooser asks.
"$zorvel" >"$work/zorvel1.log" 2>&1 &
z=$!
pids+=($z)
chooser=$(wait_window "Podaj")
xdotool windowactivate --sync "$chooser" 2>/dev/null || xdotool windowfocus --sync "$chooser"
sleep 0.3
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 'G:\Zarzad'
xdotool key Return
register=$(wait_window "Spis korespondent")
config="$work/c/Marvolt/Konfiguracja programu poczty lokalnej.atk"
[[ "$(od -An -c "$config" | tr -s ' ')" == " G : \\ Z a r z a d \r \n" ]] ||
  fail "configuration file holds: $(od -An -c "$config")"
xdotool windowactivate --sync "$register" 2>/dev/null || xdotool windowfocus --sync "$register"
sleep 0.3
xdotool key Escape
for _ in $(seq 50); do kill -0 "$z" 2>/dev/null || break; sleep 0.1; done
kill -0 "$z" 2>/dev/null && fail "Esc did not end the program"
wait "$z" || fail "the program ended with an error: $(cat "$work/zorvel1.log")"

# Second start: the configured root holds the register. Qt's own options do
# not take the window off this display.
"$zorvel" -platform offscreen -reverse >"$work/zorvel2.log" 2>&1 &
z=$!
pids+=($z)
register=$(wait_window "Spis korespondent")
xdotool search --onlyvisible --name "Podaj" >/dev/null 2>&1 && fail "the chooser showed again"
kill "$z"
echo "PASSED"
