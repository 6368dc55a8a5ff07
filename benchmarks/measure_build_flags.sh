#!/usr/bin/env bash
# Times a build of every target under two sets of compile flags side by side, each on one
# core, so both see the same machine: what a preset's flags cost.
#   benchmarks/measure_build_flags.sh "FLAGS A" "FLAGS B" [extra cmake arguments]
# For example, the sanitized build with its old and its new flags:
#   benchmarks/measure_build_flags.sh "-O2 -g -DNDEBUG" "-O1 -g1 -DNDEBUG" -DDAREZEZ_SANITIZE=ON
set -euo pipefail
cd "$(dirname "$0")/.."
a=$1 b=$2
shift 2
work=$(mktemp -d /tmp/darezez-flags.XXXXXX)
for side in a b; do
  flags=$([[ $side == a ]] && echo "$a" || echo "$b")
  cmake -S . -B "$work/$side" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$flags" "$@" >/dev/null
done
for side in a b; do
  (
    start=$SECONDS
    cmake --build "$work/$side" --parallel 1 >"$work/$side.log" 2>&1
    echo "\"$([[ $side == a ]] && echo "$a" || echo "$b")\": $((SECONDS - start)) s"
  ) &
done
wait
rm -rf "$work"
