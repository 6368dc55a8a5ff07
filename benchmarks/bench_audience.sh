#!/usr/bin/env bash
# The real program on an X server with two 1920 x 1080 monitors (Xorg with the dummy
# driver): CPU share and resident memory of `darezez` with the board at 1366 x 768 on the
# first monitor and the audience display full screen on the second, beside the board
# alone at the same size, the clock running below a minute with time advantage.
# CPU from /proc/PID/task/*/schedstat as bench_runtime.sh measures it. Prints medians.
# Usage: bench_audience.sh BUILD_DIR  (BENCH_SECONDS, BENCH_REPEATS to shorten)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${BENCH_SECONDS:-30}
repeats=${BENCH_REPEATS:-3}
source "$(dirname "$0")/bench_common.sh"
# The sound server the buzzer opens; its Xvfb stays unused.
start_desktop "$work" bench_sink
start_two_screens "$work"
export DISPLAY=$DAREZEZ_TWO_SCREENS

window_of() { # PID [WINDOW] -> a visible window of PID other than WINDOW, waited for
  local pid=$1 skip=${2:-none} id=
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vxF "$skip" | head -1 || true)
    [[ -n "$id" ]] && break
    sleep 0.05
  done
  echo "$id"
}

program=
start_board() {
  export XDG_CONFIG_HOME="$work/config"
  rm -rf "$XDG_CONFIG_HOME"
  mkdir -p "$XDG_CONFIG_HOME"
  "$build/darezez" >"$work/run.log" 2>&1 &
  program=$!
  local splash board
  splash=$(window_of "$program")
  sleep 0.5
  read -r x y < <(xwininfo -id "$splash" |
    awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
  xdotool mousemove $((x + 185)) $((y + 70)) sleep 0.05 click 1
  board=$(window_of "$program" "$splash")
  xdotool windowactivate --sync "$board"
  if [[ "${1:-}" == audience ]]; then
    xdotool key F2
    local crowd
    crowd=$(window_of "$program" "$board")
    echo "audience display: $(xwininfo -id "$crowd" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w " x " h}')"
  fi
  xdotool windowsize --sync "$board" 1366 768 || true
  sleep 1
}
stop_board() { kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; }

cpu_run() { # percent of one core over $seconds, the clock below a minute, home ahead in time
  xdotool key r s
  sleep 0.3
  xdotool type --delay 50 "0.59"
  xdotool key Return s Left
  sleep 2
  local a b
  a=$(cputime "$program")
  sleep "$seconds"
  b=$(cputime "$program")
  xdotool key s
  awk -v a="$a" -v b="$b" -v s="$seconds" 'BEGIN {printf "%.3f\n", (b - a) / (s * 1e9) * 100}'
}

for mode in board audience; do
  start_board "$mode"
  : >"$work/cpu"
  for _ in $(seq "$repeats"); do cpu_run >>"$work/cpu"; done
  rss=$(awk '/VmRSS/{print $2}' /proc/"$program"/status)
  stop_board
  if [[ "$mode" == board ]]; then
    echo "== board alone at 1366 x 768 (median of $repeats runs of ${seconds} s)"
  else
    echo "== board at 1366 x 768 and audience display at 1920 x 1080 (median of $repeats runs of ${seconds} s)"
  fi
  echo "CPU, clock below a minute with the time advantage running: $(spread "$work/cpu") % of one core"
  echo "resident memory: $((rss / 1024)) MB ($rss kB)"
done
