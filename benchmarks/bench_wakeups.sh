#!/usr/bin/env bash
# CPU share of all threads and wake-ups of the main thread (from /proc/PID/schedstat) of the
# real board in its window on the test desktop, 20 s above a minute with nobody holding time
# advantage and 20 s below a minute with the home wrestler holding it. Run from the
# repository root after a build.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/darezez-w.XXXXXX)
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
source scripts/desktop.sh
start_desktop "$work" darezez_sink
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
build/darezez >/dev/null 2>&1 & pids+=($!); pid=$!
w=""; for i in $(seq 200); do w=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -1); [ -n "$w" ] && break; sleep 0.1; done
sleep 1
eval $(xdotool getwindowgeometry --shell $w)
xdotool mousemove $((X+185)) $((Y+70)) click 1
sleep 2
measure() { # seconds label
  local t0=$(awk '{print $1, $3}' /proc/$pid/schedstat); local c0=$(awk '{s+=$1} END{print s}' /proc/$pid/task/*/schedstat)
  local m0=$(awk '{print $3}' /proc/$pid/task/$pid/schedstat)
  sleep $1
  local c1=$(awk '{s+=$1} END{print s}' /proc/$pid/task/*/schedstat)
  local m1=$(awk '{print $3}' /proc/$pid/task/$pid/schedstat)
  echo "$2: cpu $(echo "scale=3; ($c1-$c0)/($1*10000000)" | bc) % of a core, main-thread wakeups/s $(echo "scale=2; ($m1-$m0)/$1" | bc)"
}
xdotool key s; sleep 1
measure 20 "above a minute, nobody holds"
xdotool key s; xdotool type "0.50"; xdotool key Return; xdotool key Left; xdotool key s; sleep 1
measure 20 "below a minute, home holds"
