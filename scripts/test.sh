#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Tests of the real program get an
# X server (Xvfb with a light window manager) and a sound server (PulseAudio with a null
# sink) started here and stopped again by process id when the run ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh --test
bash scripts/build.sh build
# The same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
bash scripts/build.sh build-asan -DDAREZEZ_SANITIZE=ON

work=$(mktemp -d /tmp/darezez-test.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody is using.
display=90
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 3840x2160x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
export DISPLAY=":$display"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)

mkdir -p "$work/pulse"
export XDG_RUNTIME_DIR="$work/pulse"
chmod 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --use-pid-file=no \
  --system=no -L "module-null-sink sink_name=darezez_sink rate=44100" \
  -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
  >"$work/pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$work/pulse/native"
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink darezez_sink >/dev/null 2>&1 || echo "warning: no sound server; sound tests will say so"
export DAREZEZ_TEST_SINK=darezez_sink

ctest --test-dir build --output-on-failure --timeout 600 -j "$(nproc)"
# Any sanitizer report fails its test; leaks are reported when a test program ends.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --timeout 900 -j "$(nproc)" -LE package
