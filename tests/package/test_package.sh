#!/usr/bin/env bash
# The program as a user installs it: the desktop entry and metainfo validate, the Debian
# package built by CPack installs with apt-get, the installed program starts from its
# installed path and shows the welcome window, and the package removes cleanly.
# Usage: test_package.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
skip=77

desktop-file-validate "$src/assets/io.github.quenlith.Darezez.desktop"
appstreamcli validate --no-net "$src/assets/io.github.quenlith.Darezez.metainfo.xml"

work=$(mktemp -d /tmp/darezez-package.XXXXXX)
pid=
installed=
cleanup() {
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
  [[ -n "$installed" ]] && DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq darezez >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
# Per-user folders of this run's own: nothing lands in the home of whoever runs it.
for d in XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME; do
  mkdir -p "$work/$d"
  export "$d=$work/$d"
done

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/darezez_*.deb)
echo "built $(basename "$deb")"
dpkg-deb --contents "$deb" | awk '{print $6}' >"$work/contents"
for f in ./usr/bin/darezez ./usr/lib/darezez/darezez \
         ./usr/lib/darezez/buzzer.wav \
         ./usr/share/applications/io.github.quenlith.Darezez.desktop \
         ./usr/share/metainfo/io.github.quenlith.Darezez.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/io.github.quenlith.Darezez.svg; do
  grep -qx -- "$f" "$work/contents" || { echo "missing from the package: $f"; exit 1; }
done

# Installing changes the machine: only as root, and never over a copy already there.
if [[ $(id -u) -ne 0 ]]; then echo "not root: package built and checked, not installed"; exit $skip; fi
if dpkg-query -W -f='${Status}' darezez 2>/dev/null | grep -q "install ok installed"; then
  echo "darezez is already installed here; not replacing it"; exit $skip
fi
[[ -n "${DISPLAY:-}" ]] || { echo "no X server to start the installed program on"; exit $skip; }

installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
test -x /usr/bin/darezez
test -s /usr/lib/darezez/buzzer.wav

mkdir -p "$work/config" "$work/data"
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb /usr/bin/darezez >"$work/run.log" 2>&1 &
pid=$!
window=
# Polled until it shows, however long a busy machine takes (a failure waits 60 s).
deadline=$((SECONDS + 60))
while ((SECONDS < deadline)); do
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || { echo "the installed program showed no window"; cat "$work/run.log"; exit 1; }
size=$(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[[ "$size" == "416x216" ]] || { echo "expected the 416x216 welcome window, saw $size"; exit 1; }
echo "installed program shows its welcome window ($size)"
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq darezez >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
installed=
[[ ! -e /usr/bin/darezez ]] || { echo "/usr/bin/darezez left behind"; exit 1; }
echo "package removed"
