#!/usr/bin/env bash
# zorvel on a real X server: Xvfb with a window manager, driven by keys with
# xdotool (and the mouse where a button has no key). A first start without a
# register shows the chooser; the mail root typed there is written to the
# configuration file and the register window maps; Esc ends the program. A
# second start finds the configured root and opens the register window at
# once. Then, on that register: a damaged block of GRUPY.DBT, met by a
# deletion, an add to a group and a pack; a group that another copy of the
# program deletes while a key is typed into its member list; and, on a
# display of its own meanwhile, the idle end with a cell's editor open.
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
if ! /usr/bin/python3 -c "import dbfread" 2>/dev/null; then
  echo "SKIPPED: python3-dbfread is not installed (scripts/install-deps installs it)"
  exit 77
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A display of our own with its window manager; sets DISPLAY.
start_display() {
  exec 5>"$work/display$1"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb$1.log" 2>&1 &
  pids+=($!)
  exec 5>&-
  for _ in $(seq 100); do [[ -s "$work/display$1" ]] && break; sleep 0.1; done
  [[ -s "$work/display$1" ]] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$work/display$1")"
  openbox >"$work/openbox$1.log" 2>&1 &
  pids+=($!)
  sleep 1
}
start_display 1
main_display=$DISPLAY

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
# A click at a point of a window's client area (the register window's
# controls keep the places of their layout).
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}
# Answers the box whose title matches $1 (of process $2) with Return.
answer() {
  local box
  box=$(wait_window "$@")
  activate "$box"
  xdotool key Return
  sleep 0.3
}
ends() {
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "$2 did not end the program"
  wait "$1" || fail "the program ended with an error"
}
# The live rows of a table as python3-dbfread reads them, one field a row.
column() {
  /usr/bin/python3 - "$1" "$2" <<'EOF'
import sys, dbfread
for row in dbfread.DBF(sys.argv[1], encoding="cp1250"):
    print(row[sys.argv[2]] or "")
EOF
}
groups() {
  /usr/bin/python3 - "$1" <<'EOF'
import sys, dbfread
rows = dbfread.DBF(sys.argv[1], encoding="cp1250")
print(";".join(sorted(f"{r['NAZWA']}={r['KTO'] or ''}" for r in rows)))
EOF
}

# The idle end with a cell's editor open, on a display of its own while the
# rest runs: what was typed is posted, as a close would post it.
start_display 2
mkdir -p "$work/idle/c" "$work/idle/f"
"$sample" "$work/idle/f/Poczta" >/dev/null
ZORVEL_DRIVES="C=$work/idle/c,F=$work/idle/f" "$zorvel" >"$work/idle.log" 2>&1 &
idle=$!
pids+=($idle)
register=$(wait_window "Spis korespondent")
activate "$register"
# The number cell of the first row is current: five to the right is his
# position, typed over without Enter.
xdotool key Right Right Right Right Right
xdotool type --delay 50 'ZZZ'
idle_from=$(date +%s)
export DISPLAY=$main_display

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
ends "$z" Esc

# Second start: the configured root holds the register. One block of its
# GRUPY.DBT is damaged: the mark of the list of Księgowość, the first group.
tables="$work/mail/Zarzad/Naczelnik/tovmir"
/usr/bin/python3 - "$tables/GRUPY.DBT" <<'EOF'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.find(b"4,7,")
data[at - 8:at - 4] = b"xxxx"
open(sys.argv[1], "wb").write(data)
EOF
"$zorvel" >"$work/zorvel2.log" 2>&1 &
z=$!
pids+=($z)
register=$(wait_window "Spis korespondent")
xdotool search --onlyvisible --name "Podaj" >/dev/null 2>&1 && fail "the chooser showed again"
sleep 1
xdotool search --onlyvisible --name "^zorvel$" >/dev/null 2>&1 && fail "a box at the start"
activate "$register"
# Deleting the first correspondent: two questions, then the error box, and
# the program goes on.
click "$register" 121 246
answer "^Uwaga! Korespondent Nr 1$"
answer "^Uwaga! Korespondent Nr 1$"
answer "^zorvel$"
kill -0 "$z" 2>/dev/null || fail "the deletion ended the program: $(cat "$work/zorvel2.log")"
[[ $(column "$tables/SPIS.DBF" NR | wc -l) -eq 12 ]] || fail "a correspondent was deleted"
# Adding him to the damaged group: refused; then the pack repairs it.
click "$register" 245 218
answer "^Uwaga!$"
click "$register" 106 420
answer "^zorvel$"
[[ -f "$tables/GRUPY_USZKODZONY.DBT" ]] || fail "the damaged memo file was not kept"
expected="Księgowość=;Wszyscy w magazynie=3,5,6,9,11,;Zarząd=1,2,3,"
[[ "$(groups "$tables/GRUPY.DBF")" == "$expected" ]] ||
  fail "groups after the pack: $(groups "$tables/GRUPY.DBF")"
activate "$register"
xdotool key Escape
ends "$z" Esc

# Two copies on the same register: B has Zarząd's list open, A deletes
# Zarząd, B types. B's keys are dropped, with a box saying why.
"$zorvel" >"$work/a.log" 2>&1 &
a=$!
pids+=($a)
"$zorvel" >"$work/b.log" 2>&1 &
b=$!
pids+=($b)
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
[[ "$(groups "$tables/GRUPY.DBF")" == "Księgowość=;Wszyscy w magazynie=3,5,6,9,11," ]] ||
  fail "A did not delete Zarząd: $(groups "$tables/GRUPY.DBF")"
activate "$window_b"
xdotool type --delay 20 '55,'
answer "^zorvel$" "$b"
sleep 0.5
[[ "$(groups "$tables/GRUPY.DBF")" == "Księgowość=;Wszyscy w magazynie=3,5,6,9,11," ]] ||
  fail "B's keys were stored: $(groups "$tables/GRUPY.DBF")"
for copy in "$a:$window_a" "$b:$window_b"; do
  activate "${copy#*:}"
  xdotool key Escape
  ends "${copy%%:*}" Esc
done

# The idle end: about three minutes after the last key.
for _ in $(seq 240); do kill -0 "$idle" 2>/dev/null || break; sleep 1; done
kill -0 "$idle" 2>/dev/null && fail "the idle end did not come"
wait "$idle" || fail "the idle end ended with an error: $(cat "$work/idle.log")"
(($(date +%s) - idle_from >= 170)) || fail "the idle end came early"
[[ "$(column "$work/idle/f/Poczta/Naczelnik/tovmir/SPIS.DBF" STANOWISKO | head -n1)" == "ZZZ" ]] ||
  fail "the cell's text was not posted at the idle end"
echo "PASSED"
