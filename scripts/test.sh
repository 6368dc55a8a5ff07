#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Tests of the real program get an
# X server (Xvfb with a light window manager) and a sound server (PulseAudio with a null
# sink) started here and stopped again by process id when the run ends.
set -euo pipefail
cd "$(dirname "$0")/.."

# How long each step took, for whoever waits on this.
mark=$SECONDS
took() {
  echo "[took] $1: $((SECONDS - mark)) s"
  mark=$SECONDS
}

bash scripts/deps.sh --test
took "dependencies"
# Every tracked C and C++ source as the repository's .clang-format lays it out; any
# difference fails the run.
git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 clang-format --dry-run --Werror
took "format check"
bash scripts/build.sh build
took "build"
# The same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
bash scripts/build.sh build-asan -DDAREZEZ_SANITIZE=ON
took "sanitized build"

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

# Every suite runs, so that one failure hides nothing of the others; the run fails after.
failed=()
suite() {
  local name=$1
  shift
  ctest --output-on-failure "$@" || failed+=("$name")
  took "$name"
}
suite "tests" --test-dir build --timeout 600 -j "$(nproc)" -LE screens
# Any sanitizer report fails its test; leaks are reported when a test program ends.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
suite "sanitized tests" --test-dir build-asan --timeout 900 -j "$(nproc)" -LE "package|screens"
# The tests of a second monitor get an X server with two.
start_two_screens "$work"
suite "two-screen tests" --test-dir build --timeout 600 -L screens
suite "sanitized two-screen tests" --test-dir build-asan --timeout 900 -L screens
if ((${#failed[@]})); then
  printf 'Failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
