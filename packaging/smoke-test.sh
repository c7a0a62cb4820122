#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts a Sorteggina program (by default the installed one) on a private X server with
# a fresh settings folder, and passes when its window shows up and it keeps running.
#   packaging/smoke-test.sh [/usr/games/sorteggina]
set -euo pipefail
bin=${1:-/usr/games/sorteggina}
[ -x "$bin" ] || { echo "smoke-test: no program at $bin" >&2; exit 2; }
for t in Xvfb xdotool; do
  command -v $t >/dev/null || { echo "smoke-test: $t is missing (apt-get install xvfb xdotool)" >&2; exit 2; }
done
. "$(dirname "$0")/private-display.sh"

start_private_display 1280x800
start_program "$bin"
eval "$(xdotool getwindowgeometry --shell "$win")"
# The voice starts once the window is up; a failure there shows a message and ends the program.
sleep 2
if ! kill -0 "$prog" 2>/dev/null; then
  echo "smoke-test: the program ended soon after its window showed" >&2
  sed 's/^/  /' "$work/log" >&2
  exit 1
fi
echo "smoke-test: $bin shows its window (${WIDTH}x${HEIGHT}) and keeps running"
