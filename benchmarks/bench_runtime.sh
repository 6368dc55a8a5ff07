#!/usr/bin/env bash
# The real program on its own Xvfb (3840 x 2160) with a window manager and a null-sink
# sound server: CPU share and main-thread wake-ups while the match clock runs, and resident
# memory of `darezez`;
# start-up times and key-to-pixels from `bench_board`, the same windows timed from inside.
# Prints medians of repeated runs.
# Usage: bench_runtime.sh BUILD_DIR  (BENCH_SECONDS, BENCH_REPEATS to shorten)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${BENCH_SECONDS:-30}
repeats=${BENCH_REPEATS:-3}
source "$(dirname "$0")/bench_common.sh"
start_desktop "$work" bench_sink
sleep 1

# How often the program's own (main) thread has been put on a processor, and how often it
# gave it up to wait: the first counts preemptions by other work too.
wakeups() { awk '{print $3}' /proc/"$1"/task/"$1"/schedstat; }
waits() { awk '/^voluntary_ctxt_switches/ {print $2}' /proc/"$1"/task/"$1"/status; }

board=
# darezez, or with `timed` bench_board, appending (so that emptying the file between steps
# starts it over) its figures to $work/timing.
start_board() {
  export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
  # A fresh data folder: no journaled meet to ask about.
  rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$work/timing"
  mkdir -p "$XDG_CONFIG_HOME/Darezez"
  # With `feed`, the board serves its live feed on this computer.
  if [[ "${1:-}" == feed ]]; then
    printf '[FeedSettings]\nEnabled=1\nPort=%s\nNetwork=0\n' "$feed_port" >"$XDG_CONFIG_HOME/Darezez/Darezez.ini"
  fi
  if [[ "${1:-}" == timed ]]; then
    "$build/benchmarks/bench_board" "$(date +%s%N)" >>"$work/timing" 2>"$work/run.log" &
  else
    "$build/darezez" >"$work/run.log" 2>&1 &
  fi
  program=$!
  open_board
}
stop_board() { kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; }
value() { awk -v k="$1" '$1 == k {print $2}' "$work/timing"; }

echo "== start-up (median of 5)"
: >"$work/startup"; : >"$work/click"
for _ in 1 2 3 4 5; do
  start_board timed
  value startup-to-welcome-painted-ms >>"$work/startup"
  value click-to-scoreboard-painted-ms >>"$work/click"
  stop_board
done
echo "process start to welcome window painted: $(spread "$work/startup") ms"
echo "click to scoreboard painted: $(spread "$work/click") ms"

size_board() { # width height
  if [[ "$1" == 3840 ]]; then
    xdotool key F11
  else
    xdotool windowsize --sync "$board" "$1" "$2" || true
  fi
  sleep 1
}

cpu_run() { # keys to set up the clock, name -> $work/name.{cpu,wake,wait}: per run, over $seconds
  xdotool key r s
  sleep 0.3
  xdotool type --delay 50 "$1"
  xdotool key Return s $2
  sleep 2
  local a b wa wb va vb
  a=$(cputime "$program"); wa=$(wakeups "$program"); va=$(waits "$program")
  sleep "$seconds"
  b=$(cputime "$program"); wb=$(wakeups "$program"); vb=$(waits "$program")
  xdotool key s
  awk -v a="$a" -v b="$b" -v s="$seconds" 'BEGIN {printf "%.3f\n", (b - a) / (s * 1e9) * 100}' >>"$work/$3.cpu"
  awk -v a="$wa" -v b="$wb" -v s="$seconds" 'BEGIN {printf "%.2f\n", (b - a) / s}' >>"$work/$3.wake"
  awk -v a="$va" -v b="$vb" -v s="$seconds" 'BEGIN {printf "%.2f\n", (b - a) / s}' >>"$work/$3.wait"
}

for size in "1920 1080" "3840 2160"; do
  set -- $size
  start_board
  size_board "$1" "$2"
  read -r w h < <(xwininfo -id "$board" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
  rm -f "$work"/above.* "$work"/below.*
  for _ in $(seq "$repeats"); do
    cpu_run "9.00" "Up" above # nobody holds time advantage
    cpu_run "0.59" "Left" below
  done
  rss=$(awk '/VmRSS/{print $2}' /proc/"$program"/status)
  stop_board
  # Key to pixels: single digits into the period field change it at once.
  start_board timed
  size_board "$1" "$2"
  read -r x y < <(client "$board")
  px=$((x + w * 4740 / 9480)); py=$((y + h * 3787 / 6795))
  xdotool mousemove "$px" "$py" click 1
  sleep 0.3
  : >"$work/timing"
  for d in 1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 7 8 9 1 2; do xdotool key "$d"; sleep 0.1; done
  sleep 0.3
  keys=$(awk '$1 == "key-to-pixels-ms" {print $2}' "$work/timing" | median)
  count=$(grep -c key-to-pixels-ms "$work/timing" || true)
  echo "== ${w} x ${h} (median of $repeats runs of ${seconds} s)"
  for run in above below; do
    if [[ $run == above ]]; then echo "clock above a minute, nobody holding time advantage:"
    else echo "clock below a minute, time advantage running:"; fi
    echo "  CPU: $(spread "$work/$run.cpu") % of one core"
    echo "  main thread put on a processor: $(spread "$work/$run.wake") a second"
    echo "  of which it waited for something: $(spread "$work/$run.wait") a second"
  done
  echo "resident memory: $((rss / 1024)) MB ($rss kB)"
  echo "key to pixels: $keys ms (median of $count keys)"
  stop_board
done

# The live feed at 1920 x 1080, the clock below a minute with time advantage running: the
# board without the feed, with the feed on and nobody watching, and with 20 browsers' event
# streams connected (curl, reading everything as a browser would).
if [[ -z "${BENCH_NO_FEED:-}" ]]; then
  feed_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  rm -f "$work"/feed-*
  for how in off on streams; do
    if [[ $how == off ]]; then start_board; else start_board feed; fi
    size_board 1920 1080
    streams=()
    if [[ $how == streams ]]; then
      for _ in $(seq 20); do
        curl -sN "http://127.0.0.1:$feed_port/events" >/dev/null 2>&1 &
        streams+=($!)
      done
    fi
    for _ in $(seq "$repeats"); do cpu_run "0.59" "Left" "feed-$how"; done
    for p in "${streams[@]}"; do kill "$p" 2>/dev/null || true; done
    stop_board
  done
  echo "== live feed at 1920 x 1080, clock below a minute with time advantage (median of $repeats runs of ${seconds} s)"
  echo "feed off: $(spread "$work/feed-off.cpu") % of one core"
  echo "feed on, nobody watching: $(spread "$work/feed-on.cpu") % of one core"
  echo "feed on, 20 event streams: $(spread "$work/feed-streams.cpu") % of one core"
fi

# What the toolkit costs before the board does anything: a window of the same size whose only
# work is a cell changed once a second, and two cells changed ten times a second.
for size in "1920 1080" "3840 2160"; do
  set -- $size
  rm -f "$work"/seconds.* "$work"/tenths.*
  for mode in seconds tenths; do
    "$build/benchmarks/bench_floor" "$1" "$2" "$mode" >"$work/floor.log" 2>&1 &
    program=$!
    sleep 2
    for _ in $(seq "$repeats"); do
      a=$(cputime "$program"); wa=$(wakeups "$program")
      sleep "$seconds"
      b=$(cputime "$program"); wb=$(wakeups "$program")
      awk -v a="$a" -v b="$b" -v s="$seconds" 'BEGIN {printf "%.3f\n", (b - a) / (s * 1e9) * 100}' >>"$work/$mode.cpu"
      awk -v a="$wa" -v b="$wb" -v s="$seconds" 'BEGIN {printf "%.2f\n", (b - a) / s}' >>"$work/$mode.wake"
    done
    stop_board
  done
  echo "== toolkit floor at $1 x $2 (median of $repeats runs of ${seconds} s)"
  echo "one cell changed once a second: $(spread "$work/seconds.cpu") % of one core, main thread on a processor $(spread "$work/seconds.wake") a second"
  echo "two cells changed ten times a second: $(spread "$work/tenths.cpu") % of one core, main thread on a processor $(spread "$work/tenths.wake") a second"
done
