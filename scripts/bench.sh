#!/usr/bin/env bash
# Builds and runs the benchmarks, printing their figures (medians of repeated runs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --test
bash scripts/build.sh build
build/benchmarks/bench_stretch
