#!/usr/bin/env bash
# Installs what is missing, builds the program and its buzzer sound (not the tests and
# benchmarks), and starts the scoreboard.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD_TARGETS="darezez buzzer_wav" bash scripts/build.sh
exec ./build/darezez
