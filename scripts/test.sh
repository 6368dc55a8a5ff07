#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Tests of the real program get an
# X server (Xvfb with a light window manager), a second one with two monitors and a sound
# server (PulseAudio with a null sink), started here and stopped again by process id when
# the run ends.
#   bash scripts/test.sh             the program and its tests (build/)
#   bash scripts/test.sh --sanitize  the same suite built with AddressSanitizer and
#                                    UndefinedBehaviorSanitizer (build-asan/); CI runs both
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
[[ ${1:-} == --sanitize ]] && preset=sanitize

# How long each step took, for whoever waits on this.
mark=$SECONDS
took() {
  echo "[took] $1: $((SECONDS - mark)) s"
  mark=$SECONDS
}

bash scripts/deps.sh --test
took "dependencies"
if [[ $preset == default ]]; then
  # Every tracked C and C++ source as the repository's .clang-format lays it out; any
  # difference fails the run.
  git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 clang-format --dry-run --Werror
  took "format check"
fi
bash scripts/build.sh "$preset"
took "build ($preset)"

work=$(mktemp -d /tmp/darezez-test.XXXXXX)
pids=()
root_pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${root_pids[@]}"; do sudo kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}" "${root_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

source scripts/desktop.sh
start_desktop "$work" darezez_sink
export DAREZEZ_TEST_SINK=darezez_sink
# The tests of a second monitor get an X server with two.
start_two_screens "$work"
took "servers"

excluded=()
if [[ $preset == sanitize ]]; then
  # Any sanitizer report fails its test; leaks are reported when a test program ends.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # The package is the same with or without them.
  excluded=(-LE package)
fi
# One run of every test, so that one failure hides nothing of the others.
status=0
ctest --preset "$preset" --timeout 900 -j "$(nproc)" "${excluded[@]}" || status=$?
took "tests ($preset)"
exit "$status"
