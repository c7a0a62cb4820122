# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that start Sorteggina on their own: a fresh settings folder, a
# private X server, and on exit the end of everything started here (the program, the
# speech-dispatcher it spawned in this run's folder, the X server) and of the folder.
#
#   . packaging/private-display.sh
#   start_private_display 1280x800     # sets DISPLAY, XDG_CONFIG_HOME, XDG_RUNTIME_DIR
#   start_program BIN [ENV=VALUE...]   # sets prog and win, the program's first window
work=$(mktemp -d)
mkdir -p "$work/config/speech-dispatcher" "$work/run" "$work/home"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work/home
# A voice that speaks into nothing, to its end: without a sound server it would not finish
# its texts, and the window would rightly show that the numbers are not heard.
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
printf 'AudioOutputMethod "alsa"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\nDefaultModule espeak-ng\n' \
  >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"
xvfb="" prog="" win=""

end_private_display() {
  set +e
  [ -n "$prog" ] && { kill -9 "$prog"; wait "$prog"; } 2>/dev/null
  spd=$(cat "$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null)
  [ -n "$spd" ] && kill -9 "$spd" 2>/dev/null
  [ -n "$xvfb" ] && { kill "$xvfb"; wait "$xvfb"; } 2>/dev/null
  rm -rf "$work"
}
trap end_private_display EXIT

start_private_display() {
  mkfifo "$work/display"
  Xvfb -displayfd 5 -screen 0 "$1x24" -dpi 96 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  local number
  read -r -t 10 number <"$work/display" || { echo "$(basename "$0"): Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$number
}

# Waits up to 20 s for a visible window of the program titled "Sorteggina di ...".
start_program() {
  local bin=$1
  shift
  env "$@" "$bin" >"$work/log" 2>&1 &
  prog=$!
  win=$(timeout 20 xdotool search --sync --onlyvisible --pid "$prog" --name '^Sorteggina di Orvanet' 2>/dev/null |
        head -n 1 || true)
  if [ -z "$win" ]; then
    echo "$(basename "$0"): no Sorteggina window within 20 s" >&2
    sed 's/^/  /' "$work/log" >&2
    exit 1
  fi
}
