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
build/benchmarks/bench_feed "${FEED_SECONDS:-20}"
