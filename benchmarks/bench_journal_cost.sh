#!/usr/bin/env bash
# What keeping the meet costs a running board, for one or more builds of the program in the
# same session, taking turns: the board at 1920 x 1080 with its clock at 9:00 running and
# nobody holding time advantage. Per build, medians of the runs: the whole program's CPU
# share, its main thread's and its journal thread's, and how often the main thread was put on
# a processor a second.
# Usage: bench_journal_cost.sh PROGRAM...  (BENCH_SECONDS, BENCH_REPEATS)
set -euo pipefail
seconds=${BENCH_SECONDS:-30}
repeats=${BENCH_REPEATS:-3}
programs=()
for p in "$@"; do programs+=("$(cd "$(dirname "$p")" && pwd)/$(basename "$p")"); done
source "$(dirname "$0")/bench_common.sh"
start_desktop "$work" bench_sink
sleep 1

# CPU time (ns) and times put on a processor of one thread.
thread_cpu() { awk '{print $1}' "$1/schedstat"; }
thread_runs() { awk '{print $3}' "$1/schedstat"; }
journal_task() { grep -lx journal /proc/"$program"/task/*/comm | head -1 | xargs dirname; }
share() { awk -v a="$1" -v b="$2" -v s="$seconds" 'BEGIN {printf "%.3f\n", (b - a) / (s * 1e9) * 100}'; }

for round in $(seq "$repeats"); do
  for i in "${!programs[@]}"; do
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
    rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
    mkdir -p "$XDG_CONFIG_HOME/Darezez"
    start_board_hd "${programs[$i]}"
    xdotool type --delay 50 "9.00"
    xdotool key Return s Up
    sleep 2
    main=/proc/$program/task/$program
    journal=$(journal_task)
    a=$(cputime "$program"); ma=$(thread_cpu "$main"); ja=$(thread_cpu "$journal"); wa=$(thread_runs "$main")
    sleep "$seconds"
    b=$(cputime "$program"); mb=$(thread_cpu "$main"); jb=$(thread_cpu "$journal"); wb=$(thread_runs "$main")
    share "$a" "$b" >>"$work/$i.cpu"
    share "$ma" "$mb" >>"$work/$i.main"
    share "$ja" "$jb" >>"$work/$i.journal"
    awk -v a="$wa" -v b="$wb" -v s="$seconds" 'BEGIN {printf "%.2f\n", (b - a) / s}' >>"$work/$i.wake"
    kill "$program"; wait "$program" 2>/dev/null || true
    program=
  done
done

echo "== clock 9:00 running, nobody holding time advantage, 1920 x 1080 (median of $repeats runs of $seconds s)"
for i in "${!programs[@]}"; do
  echo "${programs[$i]}:"
  echo "  program: $(spread "$work/$i.cpu") % of one core"
  echo "  main thread: $(spread "$work/$i.main") %, put on a processor $(spread "$work/$i.wake") a second"
  echo "  journal thread: $(spread "$work/$i.journal") %"
done
