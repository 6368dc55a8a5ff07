#!/usr/bin/env bash
# Times the README's test command from a clean clone of a commit: each step as test.sh
# reports it, the whole run, and the ten slowest test programs.
#   benchmarks/measure_suite.sh [COMMIT] [RUNS]
# BUSY=2 runs that many CPU-bound loops beside it, stopped by process id afterwards;
# COMMAND=".ci/run" times CI's whole run instead.
set -euo pipefail
cd "$(dirname "$0")/.."
commit=${1:-HEAD}
runs=${2:-1}
busy=()
stop_busy() { for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_busy EXIT
for _ in $(seq "${BUSY:-0}"); do
  sh -c 'while :; do :; done' &
  busy+=($!)
done
for run in $(seq "$runs"); do
  clone=$(mktemp -d /tmp/darezez-measure.XXXXXX)
  git clone -q . "$clone"
  git -C "$clone" checkout -q "$commit"
  log="$clone.log"
  start=$SECONDS
  status=0
  (cd "$clone" && bash ${COMMAND:-scripts/test.sh}) >"$log" 2>&1 || status=$?
  echo "run $run of $(git rev-parse --short "$commit"): $((SECONDS - start)) s, exit $status (log $log)"
  grep '^\[took\]' "$log" || true
  echo "slowest test programs:"
  grep -E '^ *[0-9]+/[0-9]+ Test +#' "$log" | sed -E 's/.*Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec.*/\2 \1/' |
    sort -rn | head -10
  rm -rf "$clone"
done
