# Sourced by the test and benchmark scripts: starts what the real program needs on a
# machine with no display and no sound, recording each process id in `pids` so that
# the caller's trap can stop them.
#   start_desktop WORK_DIR SINK_NAME
# Exports DISPLAY, XDG_RUNTIME_DIR, PULSE_SERVER and the XDG_*_HOME folders; Xvfb is
# 3840 x 2160.
start_desktop() {
  local work=$1 sink=$2 display=90
  # The servers and everything started after them keep their per-user files (the sound
  # server's cookie, the window manager's log) here, not in the home of whoever runs this.
  local d
  for d in XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_CACHE_HOME; do
    mkdir -p "$work/home/$d"
    export "$d=$work/home/$d"
  done
  # A display number nobody is using.
  while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 3840x2160x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 300); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
  export DISPLAY=":$display"
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # A window mapped while the window manager starts may be left unmapped: wait until it
  # has announced itself on the root window.
  for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done

  mkdir -p "$work/pulse"
  export XDG_RUNTIME_DIR="$work/pulse"
  chmod 700 "$XDG_RUNTIME_DIR"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --use-pid-file=no \
    --system=no -L "module-null-sink sink_name=$sink rate=44100" \
    -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
    >"$work/pulse.log" 2>&1 &
  pids+=($!)
  export PULSE_SERVER="unix:$work/pulse/native"
  for _ in $(seq 300); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink "$sink" >/dev/null 2>&1 || echo "warning: no sound server; sound tests will say so"
}
