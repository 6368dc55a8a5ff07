# Sourced by the test and benchmark scripts: starts what the real program needs on a
# machine with no display and no sound, recording each process id in `pids` so that
# the caller's trap can stop them.
#   start_desktop WORK_DIR SINK_NAME
# Exports DISPLAY, XDG_RUNTIME_DIR, PULSE_SERVER and the XDG_*_HOME folders; Xvfb is
# 3840 x 2160. DAREZEZ_DISPLAY_OFFSET moves where both functions look for a free display
# number, for two runs started side by side.
start_desktop() {
  local work=$1 sink=$2 display=$((90 + ${DAREZEZ_DISPLAY_OFFSET:-0}))
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

# An X server that Qt sees as two monitors side by side, each 1920 x 1080: Xorg with the
# dummy video driver (Xvfb has a single RandR output, so Qt would see one screen), with
# openbox. Unplug the second with `xrandr --output DUMMY1 --off`; plug it back with
# `xrandr --output DUMMY1 --mode 1920x1080_60.00 --pos 1920x0`.
#   start_two_screens WORK_DIR
# Exports DAREZEZ_TWO_SCREENS (its display) and leaves DISPLAY alone. Xorg takes its own
# configuration and log only from root: as a user it runs through sudo, and its process
# id goes to `root_pids` for the caller to stop with `sudo kill`.
start_two_screens() {
  local work=$1/screens display=$((120 + ${DAREZEZ_DISPLAY_OFFSET:-0}))
  mkdir -p "$work"
  while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
  cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3840 1080
  EndSubSection
EndSection
CONF
  local sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" Xorg ":$display" -config "$work/xorg.conf" -logfile "$work/xorg.log" \
    -nolisten tcp -noreset >"$work/xorg.out" 2>&1 &
  if ((${#sudo_cmd[@]})); then root_pids+=($!); else pids+=($!); fi
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
  if [[ ! -e /tmp/.X11-unix/X$display ]]; then
    echo "Xorg with the dummy driver did not start:" >&2
    tail -20 "$work/xorg.out" "$work/xorg.log" >&2 2>/dev/null || true
    return 1
  fi
  local mode=1920x1080_60.00
  DISPLAY=":$display" xrandr --newmode "$mode" 173.00 1920 2048 2248 2576 1080 1083 1088 1120 \
    -hsync +vsync
  DISPLAY=":$display" xrandr --addmode DUMMY0 "$mode"
  DISPLAY=":$display" xrandr --addmode DUMMY1 "$mode"
  DISPLAY=":$display" xrandr --output DUMMY0 --mode "$mode" --pos 0x0 --primary \
    --output DUMMY1 --mode "$mode" --pos 1920x0
  DISPLAY=":$display" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # Full screen is the window manager's to grant: wait until it has taken the screen.
  for _ in $(seq 100); do
    DISPLAY=":$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  export DAREZEZ_TWO_SCREENS=":$display"
}
