#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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

. packaging/private-display.sh

start_private_display $((1280 * scale))x$((800 * scale))
start_program "$bin" QT_SCALE_FACTOR="$scale"
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
# A board whose numbers did not reach the screen is no picture of the program: its cells
# would show only their paper. The middle of the first cell must hold the number's black.
left=$((2000 / 15 * scale)) top=0
width=$(( (1280 * scale - left) / 10 )) height=$(( (800 - 40) * scale / 9 ))
dark=$(convert "$out" -crop $((width * 2 / 5))x$((height * 2 / 5))+$((left + width * 3 / 10))+$((top + height * 3 / 10)) \
         -colorspace gray -threshold 25% -format '%[fx:round((1-mean)*w*h)]' info:)
if [ "$dark" -lt 20 ]; then
  rm -f "$out"
  echo "make-screenshot: the board shows no numbers (only $dark dark pixels in the first cell); nothing written" >&2
  exit 1
fi
echo "make-screenshot: $out"
