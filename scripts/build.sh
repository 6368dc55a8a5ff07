#!/usr/bin/env bash
# Configures (once) and builds into build/ (or the folder given), rebuilding only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
if [[ ! -f "$dir/build.ninja" ]]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$dir" --parallel "$(nproc)"
