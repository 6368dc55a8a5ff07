#!/usr/bin/env bash
# Where the board's resident memory goes: the real program on its own Xvfb with a
# null-sink sound server, the scoreboard alone at 1920 x 1080, after the buzzer has
# sounded once. Prints VmRSS, smaps_rollup and the resident kB of each mapped file
# (anonymous memory and the heap summed apart), largest first.
# Usage: bench_memory.sh BUILD_DIR [TOP_N]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
top=${2:-25}
source "$(dirname "$0")/bench_common.sh"
start_desktop "$work" bench_sink
sleep 1

export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
start_board_hd "$build/darezez"
xdotool key b
sleep 3

echo "== VmRSS: $(awk '/VmRSS/{print $2}' /proc/"$program"/status) kB"
echo "== smaps_rollup"
grep -E '^(Rss|Pss|Shared_Clean|Shared_Dirty|Private_Clean|Private_Dirty|Anonymous)' \
  /proc/"$program"/smaps_rollup
echo "== resident kB by mapping (top $top)"
awk '
  /^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6) ? $6 : "[anonymous]"; next }
  /^Rss:/ { rss[name] += $2 }
  END { for (n in rss) if (rss[n] > 0) printf "%8d  %s\n", rss[n], n }
' /proc/"$program"/smaps | sort -rn | head -n "$top"
echo "== resident kB of Qt Multimedia, PulseAudio and GStreamer libraries"
awk '
  /^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6) ? $6 : ""; next }
  /^Rss:/ && name ~ /(Multimedia|pulse|gst|ffmpeg|libav|libsw)/ { s += $2 }
  END { print s + 0 }
' /proc/"$program"/smaps
echo "== mapped libraries: $(grep -c '\.so' /proc/"$program"/maps) mappings"
