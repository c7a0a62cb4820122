#!/usr/bin/env bash
# Takes the README's screenshot: build/sorteggina on a private 1280x800 X server, a game
# in progress (a cartella left out, the owner's name, a dozen numbers drawn, the ambo
# declared), saved as docs/screenshot.png. Builds nothing: run `make build` first.
#
#   docs/make-screenshot.sh [--scale N] [OUT.png]
#
# --scale 2 runs the program with QT_SCALE_FACTOR=2 on a 2560x1600 screen, to see the
# window as on a high-density display. SORTEGGINA_BIN=PATH runs another build of the
# program. Needs: xvfb xdotool imagemagick (Debian packages).
set -euo pipefail
cd "$(dirname "$0")/.."
scale=1
if [ "${1:-}" = --scale ]; then
  scale=$2
  shift 2
fi
out=${1:-docs/screenshot.png}
bin=${SORTEGGINA_BIN:-build/sorteggina}
[ -x "$bin" ] || { echo "make-screenshot: no program at $bin (run make build first)" >&2; exit 2; }
for t in Xvfb xdotool import; do
  command -v $t >/dev/null || { echo "make-screenshot: $t is missing (apt-get install xvfb xdotool imagemagick)" >&2; exit 2; }
done

work=$(mktemp -d)
mkdir -p "$work/config" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
xvfb="" prog=""
cleanup() {
  set +e
  [ -n "$prog" ] && { kill -9 "$prog"; wait "$prog"; } 2>/dev/null
  spd=$(cat "$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null)
  [ -n "$spd" ] && kill -9 "$spd" 2>/dev/null
  [ -n "$xvfb" ] && { kill "$xvfb"; wait "$xvfb"; } 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 5 -screen 0 $((1280 * scale))x$((800 * scale))x24 -dpi 96 -nolisten tcp \
  5>"$work/display" >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 disp <"$work/display" || { echo "make-screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$disp

QT_SCALE_FACTOR=$scale "$bin" >"$work/log" 2>&1 &
prog=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --pid "$prog" --name '^Sorteggina di' | head -n 1 || true)
[ -n "$win" ] || { echo "make-screenshot: no window appeared" >&2; cat "$work/log" >&2; exit 1; }
# Activating the window maximises it over the whole screen.
xdotool windowfocus --sync "$win"
sleep 1

# Positions in the window's own pixels at 96 dpi (the left column's design, 15 twips a pixel).
click() { xdotool mousemove --window "$win" $(($1 * scale)) $(($2 * scale)) click 1; sleep 0.3; }
key() { xdotool key --window "$win" "$1"; sleep 0.3; }

click 92 430                     # "Cartella 6": not bought, left out
click 64 287                     # the owner's name
xdotool key --window "$win" ctrl+a
xdotool type --delay 30 "Nonna Rosa"
for _ in $(seq 12); do key Down; done
key F2                           # an ambo won elsewhere in the room
for _ in $(seq 4); do key Down; done
sleep 1.2

import -window root "$out"
echo "make-screenshot: $out"
