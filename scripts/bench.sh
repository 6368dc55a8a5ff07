#!/usr/bin/env bash
# Builds and runs every benchmark, printing their figures (medians of repeated runs): the
# layout's cost; the running program's CPU share, main-thread wake-ups (from
# /proc/PID/schedstat) and memory, also with the live feed on; the start-up, click and key
# times of bench_board (the program's windows timed from inside); when each shown change of
# the clock comes (bench_clock); how a view best follows the match; the buzzer's delays; and
# the match journal's costs alone and on a running board.
# BENCH_SECONDS, BENCH_REPEATS and CLOCK_MINUTES shorten a run for a quick look; BENCH_NO_FEED
# leaves out the live feed's runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --test
bash scripts/build.sh
BUILD_TARGETS=benchmarks bash scripts/build.sh
build/benchmarks/bench_stretch
bash benchmarks/bench_runtime.sh build
bash benchmarks/bench_audience.sh build
build/benchmarks/bench_clock "${CLOCK_MINUTES:-10}"
build/benchmarks/bench_match_signals
(cd build && benchmarks/bench_journal)
build/benchmarks/bench_feed "${FEED_SECONDS:-20}"
build/benchmarks/bench_control "${CONTROL_COMMANDS:-300}"
bash benchmarks/bench_buzzer.sh build
bash benchmarks/bench_memory.sh build
(cd build && benchmarks/bench_board_journal "${BENCH_SECONDS:-60}")
