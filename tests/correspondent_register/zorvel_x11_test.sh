#!/usr/bin/env bash
# zorvel on a real X server: Xvfb with a window manager, driven by keys with
# xdotool (the mouse where a button has no key). A first start without a
# register shows the chooser; the mail root typed there is written to the
# configuration file and the register window maps; Esc ends the program. A
# second start finds the configured root, whose GRUPY.DBT has a damaged
# block: a deletion, an add to a group and a pack meet it. Two copies then:
# one deletes the group whose list the other is typed into. Meanwhile, on a
# display of its own, the idle end comes with a cell's editor open.
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
fail() { echo "FAIL: $*" >&2; exit 1; }

# Without a display: a line that says so, and exit code 1.
code=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$zorvel" 2>&1) || code=$?
[[ $code -eq 1 && "$out" == "zorvel: nie znaleziono ekranu (zmienna DISPLAY nie jest ustawiona)." ]] ||
  fail "a start without a display: exit code $code, said: $out"

# A display of our own (and one for the idle end).
for d in 1 2; do
  exec 5>"$work/display$d"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb$d.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [[ -s "$work/display$d" ]] && break; sleep 0.1; done
  [[ -s "$work/display$d" ]] || fail "Xvfb did not start"
  DISPLAY=":$(head -n1 "$work/display$d")" openbox >"$work/openbox$d.log" 2>&1 &
  pids+=($!)
done
export DISPLAY=":$(head -n1 "$work/display1")"
idle_display=":$(head -n1 "$work/display2")"
sleep 1

mkdir -p "$work/c" "$work/mail"
"$sample" "$work/mail/Zarzad" >/dev/null
export ZORVEL_DRIVES="C=$work/c,F=$work/f,G=$work/mail"
mkdir -p "$work/f"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# Waits for a window whose title matches $1 (of process $2 when given) and
# checks that it is viewable.
wait_window() {
  local id="" by=(--name "$1")
  [[ $# -gt 1 ]] && by=(--all --pid "$2" --name "$1")
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible "${by[@]}" 2>/dev/null | head -n1 || true)
    [[ -n "$id" ]] && break
    sleep 0.1
  done
  [[ -n "$id" ]] || fail "no window \"$1\""
  xwininfo -id "$id" | grep -q "Map State: IsViewable" || fail "window \"$1\" is not mapped"
  echo "$id"
}
activate() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
  sleep 0.3
}
# A click on a control of a window, at its place in the layout.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1 && sleep 0.3; }
# Return on the box titled $1 (of process $2).
answer() {
  local box
  box=$(wait_window "$@") && activate "$box" && xdotool key Return && sleep 0.3
}
ends() {
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "Esc did not end the program"
  wait "$1" || fail "the program ended with an error"
}
# A field of every live row, as python3-dbfread reads the table.
field() {
  /usr/bin/python3 -c 'import sys, dbfread
print(";".join(str(r[sys.argv[2]] or "") for r in dbfread.DBF(sys.argv[1], encoding="cp1250")))' "$@"
}

# The idle end: what is typed into the fifth cell of the first row, left
# open, is posted.
mkdir -p "$work/idle/c" "$work/idle/f"
"$sample" "$work/idle/f/Poczta" >/dev/null
ZORVEL_DRIVES="C=$work/idle/c,F=$work/idle/f" DISPLAY=$idle_display "$zorvel" >/dev/null 2>&1 &
idle=$!
pids+=($idle)
register=$(DISPLAY=$idle_display wait_window "Spis korespondent")
DISPLAY=$idle_display activate "$register"
DISPLAY=$idle_display xdotool key Right Right Right Right Right
DISPLAY=$idle_display xdotool type --delay 50 'ZZZ'
idle_from=$(date +%s)

# First start: no register anywhere, the chooser asks.
"$zorvel" >"$work/zorvel1.log" 2>&1 &
z=$!
pids+=($z)
chooser=$(wait_window "Podaj")
activate "$chooser"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 'G:\Zarzad'
xdotool key Return
register=$(wait_window "Spis korespondent")
config="$work/c/Marvolt/Konfiguracja programu poczty lokalnej.atk"
[[ "$(od -An -c "$config" | tr -s ' ')" == " G : \\ Z a r z a d \r \n" ]] ||
  fail "configuration file holds: $(od -An -c "$config")"
activate "$register"
xdotool key Escape
ends "$z"

# Second start: the configured root holds the register; the mark of the first
# group's list (Księgowość) in GRUPY.DBT is damaged.
tables="$work/mail/Zarzad/Naczelnik/tovmir"
at=$(grep -obUa '4,7,' "$tables/GRUPY.DBT" | head -n1 | cut -d: -f1)
printf xxxx | dd of="$tables/GRUPY.DBT" bs=1 seek=$((at - 8)) conv=notrunc status=none
# Qt's own options do not take the window off this display.
"$zorvel" -platform offscreen -reverse >"$work/zorvel2.log" 2>&1 &
z=$!
pids+=($z)
register=$(wait_window "Spis korespondent")
xdotool search --onlyvisible --name "Podaj" >/dev/null 2>&1 && fail "the chooser showed again"
sleep 1
xdotool search --onlyvisible --name "^zorvel$" >/dev/null 2>&1 && fail "a box at the start"
# Kasuj: two questions, the error box, and the program goes on; Dodaj: the
# refusal; Pakuj: the box of the repair.
activate "$register"
click "$register" 121 246
answer "^Uwaga! Korespondent Nr 1$"
answer "^Uwaga! Korespondent Nr 1$"
answer "^zorvel$"
click "$register" 245 218
answer "^Uwaga!$"
click "$register" 106 420
answer "^zorvel$"
[[ $(field "$tables/GRUPY.DBF" KTO) == "1,2,3,;;3,5,6,9,11," ]] || fail "lists: $(field "$tables/GRUPY.DBF" KTO)"
[[ $(field "$tables/SPIS.DBF" NR) == "$(seq -s ';' 12)" ]] || fail "a correspondent went"
activate "$register"
xdotool key Escape
ends "$z"

# Two copies: B has Zarząd's list open, A deletes Zarząd, B types; B's keys
# are dropped, with a box.
"$zorvel" >/dev/null 2>&1 &
a=$!
"$zorvel" >/dev/null 2>&1 &
b=$!
pids+=($a $b)
window_a=$(wait_window "Spis korespondent" "$a")
window_b=$(wait_window "Spis korespondent" "$b")
activate "$window_b"
click "$window_b" 250 306
xdotool key Down Down
click "$window_b" 250 380
activate "$window_a"
click "$window_a" 250 340
xdotool key ctrl+Delete
answer "^zorvel$" "$a"
activate "$window_b"
xdotool type --delay 20 '55,'
answer "^zorvel$" "$b"
[[ $(field "$tables/GRUPY.DBF" KTO) == ";3,5,6,9,11," ]] || fail "lists: $(field "$tables/GRUPY.DBF" KTO)"
for copy in "$a $window_a" "$b $window_b"; do
  read -r pid window <<<"$copy"
  activate "$window"
  xdotool key Escape
  ends "$pid"
done

for _ in $(seq 240); do kill -0 "$idle" 2>/dev/null || break; sleep 1; done
kill -0 "$idle" 2>/dev/null && fail "the idle end did not come"
wait "$idle" || fail "the idle end ended with an error"
(($(date +%s) - idle_from >= 170)) || fail "the idle end came early"
[[ $(field "$work/idle/f/Poczta/Naczelnik/tovmir/SPIS.DBF" STANOWISKO) == ZZZ\;* ]] ||
  fail "the open cell was not posted at the idle end"
echo "PASSED"
