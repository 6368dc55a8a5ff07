#!/usr/bin/env bash
# Configures (once) and builds a preset of CMakePresets.json: default (build/) or sanitize
# (build-asan/), rebuilding only what changed. BUILD_TARGETS names the targets to build (all
# when unset).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
dir=$([[ $preset == sanitize ]] && echo build-asan || echo build)
if [[ ! -f "$dir/build.ninja" ]]; then
  cmake --preset "$preset" >/dev/null
fi
targets=()
for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build --preset "$preset" --parallel "$(nproc)" "${targets[@]}"
