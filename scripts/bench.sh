#!/usr/bin/env bash
# Builds and runs every benchmark, printing their figures (medians of repeated runs).
# BENCH_SECONDS, BENCH_REPEATS and CLOCK_MINUTES shorten a run for a quick look.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --test
bash scripts/build.sh build
build/benchmarks/bench_stretch
bash benchmarks/bench_runtime.sh build
build/benchmarks/bench_clock "${CLOCK_MINUTES:-10}"
bash benchmarks/bench_buzzer.sh build
bash benchmarks/bench_memory.sh build
