# Sourced by the benchmark scripts: a work folder, the processes to stop when the script
# ends (pids; root_pids are stopped through sudo), the test desktop's starters, and small
# helpers for medians, CPU time and window positions.
work=$(mktemp -d /tmp/darezez-bench.XXXXXX)
pids=()
root_pids=()
program=
cleanup() {
  [[ -n "$program" ]] && kill "$program" 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${root_pids[@]}"; do sudo kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/desktop.sh"

median() { sort -g | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "none"}'; }
# The median, and every run after it: the spread tells noise from a real change.
spread() { echo "$(median <"$1") (runs: $(tr '\n' ' ' <"$1" | sed 's/ $//'))"; }
# CPU time of every thread of a process, in ns.
cputime() { cat /proc/"$1"/task/*/schedstat | awk '{s+=$1} END {print s}'; }
client() { # absolute X Y of a window's inside
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}'
}

# The started $program's welcome window clicked through to the board: its window id in $board.
open_board() {
  local splash=
  for _ in $(seq 200); do
    splash=$(xdotool search --onlyvisible --pid "$program" 2>/dev/null | head -1 || true)
    [[ -n "$splash" ]] && break
    sleep 0.05
  done
  sleep 0.5
  read -r x y < <(client "$splash")
  xdotool mousemove $((x + 185)) $((y + 70)) sleep 0.05 click 1
  board=
  for _ in $(seq 200); do
    board=$(xdotool search --onlyvisible --pid "$program" 2>/dev/null | grep -vx "$splash" | head -1 || true)
    [[ -n "$board" ]] && break
    sleep 0.05
  done
  sleep 1
}

# Starts PROGRAM (its output in $work/run.log) and opens its board, 1920 x 1080.
start_board_hd() {
  "$1" >"$work/run.log" 2>&1 &
  program=$!
  open_board
  xdotool windowsize --sync "$board" 1920 1080 || true
  sleep 1
}
