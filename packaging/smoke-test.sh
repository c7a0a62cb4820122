#!/usr/bin/env bash
# Starts a Sorteggina program (by default the installed one) on a private X server with
# a fresh settings folder, and passes when its window shows up and it keeps running.
#   packaging/smoke-test.sh [/usr/bin/sorteggina]
set -euo pipefail
bin=${1:-/usr/bin/sorteggina}
title='Sorteggina di Orvanet - Quillard - ver. 2.0.1'
[ -x "$bin" ] || { echo "smoke-test: no program at $bin" >&2; exit 2; }
for t in Xvfb xdotool; do
  command -v $t >/dev/null || { echo "smoke-test: $t is missing (apt-get install xvfb xdotool)" >&2; exit 2; }
done

work=$(mktemp -d)
mkdir -p "$work/config" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
xvfb="" prog=""
cleanup() {
  set +e
  [ -n "$prog" ] && { kill -9 "$prog"; wait "$prog"; } 2>/dev/null
  # The speech-dispatcher that the program started, in this run's own folder.
  spd=$(cat "$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null)
  [ -n "$spd" ] && kill -9 "$spd" 2>/dev/null
  [ -n "$xvfb" ] && { kill "$xvfb"; wait "$xvfb"; } 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 disp <"$work/display" || { echo "smoke-test: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$disp

"$bin" >"$work/log" 2>&1 &
prog=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --pid "$prog" --name "^$title\$" 2>/dev/null | head -n 1 || true)
if [ -z "$win" ]; then
  echo "smoke-test: no window titled \"$title\" within 20 s" >&2
  sed 's/^/  /' "$work/log" >&2
  exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$win")"
# The voice starts once the window is up; a failure there shows a message and ends the program.
sleep 2
if ! kill -0 "$prog" 2>/dev/null; then
  echo "smoke-test: the program ended soon after its window showed" >&2
  sed 's/^/  /' "$work/log" >&2
  exit 1
fi
echo "smoke-test: $bin shows its window (${WIDTH}x${HEIGHT}) and keeps running"
