#!/usr/bin/env bash
# The buzzer as the crowd hears it, against one clock (CLOCK_MONOTONIC): the real program
# on its own Xvfb with a null-sink sound server whose monitor bench_sink_onset records in
# 2 ms pieces. The program writes the instant each key reaches the scoreboard
# (printed by bench_board) and each buzzer request (the darezez.buzzer logging category);
# bench_sink_onset writes the instant each sound starts on the sink.
#   key to sound, the first press after start     (a new program each time)
#   key to sound, presses in a running program
#   key to sound, the first press after the options dialog
#   clock zero to sound: the match clock set to 0:02 and started; its zero instant is
#     2 s after the start key's instant truncated to the tenth (the clock counts tenths
#     of the monotonic clock); also split into zero to buzzer request (the tick's share)
#     and buzzer request to sound (the buzzer's share)
# Prints the median of BENCH_BUZZER_RUNS (20) for each, with every run after it.
# Usage: bench_buzzer.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${BENCH_BUZZER_RUNS:-20}
source "$(dirname "$0")/bench_common.sh"
start_desktop "$work" bench_sink
# Silence into the sink, as the sound tests do, so the monitor runs in real time.
pacat --playback -d bench_sink --raw --format=s16le --rate=44100 --channels=1 \
  --latency-msec=20 </dev/zero &
pids+=($!)
"$build/benchmarks/bench_sink_onset" bench_sink >"$work/onsets" 2>"$work/onsets.err" &
pids+=($!)
for _ in $(seq 100); do grep -q recording "$work/onsets" && break; sleep 0.05; done
grep -q recording "$work/onsets" || { cat "$work/onsets.err"; exit 1; }
sleep 1

spread_ms() { echo "$(median <"$1") ms (runs: $(tr '\n' ' ' <"$1" | sed 's/ $//'))"; }
windows() { xdotool search --onlyvisible --pid "$program" 2>/dev/null || true; }
wait_new_window() { # known-windows -> id of a window not among them
  local w
  for _ in $(seq 400); do
    w=$(windows | grep -vxF -f <(printf '%s\n' $1 0) | head -1 || true)
    [[ -n "$w" ]] && { echo "$w"; return; }
    sleep 0.01
  done
}

board=
start_board() {
  export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
  # No journaled meet to ask about, and the buzzer the build made (bench_board lives in
  # another folder than darezez, where the program looks for it by default).
  rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
  mkdir -p "$XDG_CONFIG_HOME/Darezez"
  printf '[KeySettings]\nBuzzerFile=%s\n' "$build/buzzer.wav" >"$XDG_CONFIG_HOME/Darezez/Darezez.ini"
  # The timed start-up of the real windows: it prints when each key reaches the board.
  QT_LOGGING_RULES="darezez.buzzer.debug=true" \
    "$build/benchmarks/bench_board" "$(date +%s%N)" >"$work/run.log" 2>&1 &
  program=$!
  local splash x y
  splash=$(wait_new_window "")
  sleep 0.3
  read -r x y < <(client "$splash")
  xdotool mousemove $((x + 185)) $((y + 70)) click 1
  board=$(wait_new_window "$splash")
  # The board takes the keyboard as soon as it is the active window.
  for _ in $(seq 200); do
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$board" ]] && break
    sleep 0.01
  done
}
stop_board() { kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; program=; }

last() { awk -v k="$1" '$1 == k {v = $2} END {print v}' "$2"; }
# The first onset after an instant, in ns; empty if none.
onset_after() { awk -v t="$1" '$1 == "onset" && $2 > t {print $2; exit}' "$work/onsets"; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.1f\n", (b - a) / 1e6}'; }

# Presses `b`, waits for the horn to end, prints key to sound in ms.
press() {
  xdotool key b
  sleep 1.7
  local key onset
  key=$(last key-at-ns "$work/run.log")
  onset=$(onset_after "$key")
  if [[ -n "$key" && -n "$onset" ]]; then
    ms "$key" "$onset"
  else
    echo "silent"
    echo "a press without sound: key at ${key:-none}; $(grep -c play-at "$work/run.log") requests" >&2
  fi
}

: >"$work/first"; : >"$work/steady"; : >"$work/options"; : >"$work/zero"
: >"$work/zero-tick"; : >"$work/zero-buzzer"

for _ in $(seq "$runs"); do
  start_board
  press >>"$work/first"
  stop_board
done

start_board
for _ in $(seq "$runs"); do press >>"$work/steady"; done
for _ in $(seq "$runs"); do
  known=$(windows)
  xdotool key o
  dialog=$(wait_new_window "$known")
  sleep 0.3
  read -r x y < <(client "$dialog")
  xdotool mousemove $((x + 147)) $((y + 292)) click 1 # OK
  for _ in $(seq 200); do
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$board" ]] && break
    sleep 0.01
  done
  press >>"$work/options"
done
for _ in $(seq "$runs"); do
  xdotool key period 2 Return
  sleep 0.2
  xdotool key s
  sleep 3.8
  start=$(last key-at-ns "$work/run.log")
  # The clock counts whole tenths of its time source (boot time: the monotonic clock plus
  # any time asleep, none here) from its start's tenth.
  zero=$((start / 100000000 * 100000000 + 2000000000))
  play=$(awk '/play-at-ns/ {v = $NF} END {print v}' "$work/run.log")
  onset=$(onset_after "$start")
  if [[ -n "$onset" ]]; then
    ms "$zero" "$onset" >>"$work/zero"
    ms "$zero" "$play" >>"$work/zero-tick"
    ms "$play" "$onset" >>"$work/zero-buzzer"
  else
    echo silent >>"$work/zero"
  fi
done
stop_board

echo "== buzzer latency on the sink (median of $runs)"
echo "key to sound, first press after start: $(spread_ms "$work/first")"
echo "key to sound, presses in a running program: $(spread_ms "$work/steady")"
echo "key to sound, first press after the options dialog: $(spread_ms "$work/options")"
echo "clock zero to sound: $(spread_ms "$work/zero")"
echo "  of which zero to buzzer request (the tick): $(spread_ms "$work/zero-tick")"
echo "  of which buzzer request to sound: $(spread_ms "$work/zero-buzzer")"
echo "recording latency the server reported at onsets (not subtracted): $(awk '$1 == "onset" {print $4}' "$work/onsets" | median) us"
