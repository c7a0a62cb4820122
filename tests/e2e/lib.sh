# shellcheck shell=bash disable=SC2034  # the values set here are read by the test scripts
# Shared by the whole-program tests: a private X server, the program started and killed
# by process id, the settings file read back, keys and clicks sent with xdotool.
# Sourced by each test script after setting E2E_NAME; the script's argument is the
# program to run (build/sorteggina).
# Exit codes: 0 pass, 1 fail, 77 skip (no Xvfb or xdotool on this machine).
# E2E_KEEP=1 keeps the work folder (settings, program output) of a failed run.

set -u

E2E_PROGRAM=${1:?usage: $0 PROGRAM}
E2E_SCREEN_W=1280
E2E_SCREEN_H=1024
# "Ricarica ultima", in window pixels at 96 dpi: the left column keeps its design place.
E2E_RELOAD_X=$((14 + 103 / 2))
E2E_RELOAD_Y=$((492 + 30 / 2))
E2E_FIXED_ITEMS=11
RELOADED_TEXT="Ultima estrazione, ricaricata!"
NO_SAVED_GAME_TEXT="Non ci sono partite salvate!"

log() { printf '[%s %6ss] %s\n' "${E2E_NAME:?}" "$(elapsed_s)" "$*"; }

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (Debian packages xvfb, xauth, xdotool)"
    exit 77
  fi
done
if [ ! -x "$E2E_PROGRAM" ]; then
  echo "FAIL: no program at $E2E_PROGRAM (build it first)"
  exit 1
fi

# Microseconds of wall time, without starting a process.
now_us() { echo "${EPOCHREALTIME//[!0-9]/}"; }
E2E_T0=$(now_us)
elapsed_ms() { echo $((($(now_us) - E2E_T0) / 1000)); }
seconds_since() { local ms=$(($(elapsed_ms) - $1)); printf '%d.%d' $((ms / 1000)) $((ms % 1000 / 100)); }
elapsed_s() { local ms; ms=$(elapsed_ms); printf '%d.%d' $((ms / 1000)) $((ms % 1000 / 100)); }

E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/sorteggina-e2e.XXXXXX")
PROGRAM_PID=""
WINDOW=""
PROGRAM_LOG=""
E2E_STARTS=0
E2E_XVFB_PID=""
E2E_HELPERS=()

# Everything the tests start, ended by process id; the speech daemon the program spawned
# is found through its pid file in the private runtime folder.
e2e_cleanup() {
  local status=$? pid spd
  [ -n "$PROGRAM_PID" ] && { kill -9 "$PROGRAM_PID"; wait "$PROGRAM_PID"; } 2>/dev/null
  for pid in "${E2E_HELPERS[@]}"; do { kill "$pid"; wait "$pid"; } 2>/dev/null; done
  spd=$(cat "$E2E_WORK/run/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null)
  if [ -n "$spd" ] && kill -0 "$spd" 2>/dev/null; then
    kill "$spd" 2>/dev/null
    for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$spd" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$spd" 2>/dev/null
  fi
  [ -n "$E2E_XVFB_PID" ] && { kill "$E2E_XVFB_PID"; wait "$E2E_XVFB_PID"; } 2>/dev/null
  if [ "$status" -eq 0 ] || [ -z "${E2E_KEEP:-}" ]; then
    rm -rf "$E2E_WORK"
  else
    echo "kept: $E2E_WORK"
  fi
}
trap e2e_cleanup EXIT
trap 'exit 1' INT TERM

fail() {
  echo "FAIL: $*"
  if [ -n "$PROGRAM_LOG" ] && [ -f "$PROGRAM_LOG" ]; then
    echo "--- program output (last start) ---"
    tail -n 30 "$PROGRAM_LOG"
  fi
  if [ -f "${E2E_CONF:-/nonexistent}" ]; then
    echo "--- $E2E_CONF ---"
    cat "$E2E_CONF"
  fi
  exit 1
}

# A fresh settings folder ($XDG_CONFIG_HOME) and home for the next starts.
# voice: "silent" gives speech-dispatcher an ALSA null device, so every text is spoken to
# the end without a sound server; "stock" leaves its configuration as installed, which
# with no sound server means a voice that never finishes a text.
e2e_new_config() {
  local voice=$1
  E2E_CONFIG_HOME=$E2E_WORK/config
  E2E_HOME=$E2E_WORK/home
  rm -rf "$E2E_CONFIG_HOME" "$E2E_HOME"
  mkdir -p "$E2E_CONFIG_HOME" "$E2E_HOME"
  E2E_CONF=$E2E_CONFIG_HOME/Vellucario/Vellucario.conf
  if [ "$voice" = silent ]; then
    mkdir -p "$E2E_CONFIG_HOME/speech-dispatcher"
    printf 'pcm.!default { type null }\n' >"$E2E_HOME/.asoundrc"
    cat >"$E2E_CONFIG_HOME/speech-dispatcher/speechd.conf" <<'EOF'
AudioOutputMethod "alsa"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
EOF
  fi
}

# One X server for the whole test, on the first free display.
e2e_start_x() {
  mkdir -p "$E2E_WORK/run" "$E2E_WORK/cache"
  chmod 700 "$E2E_WORK/run"
  mkfifo "$E2E_WORK/display"
  Xvfb -displayfd 5 -screen 0 "${E2E_SCREEN_W}x${E2E_SCREEN_H}x24" -dpi 96 -nolisten tcp \
    5>"$E2E_WORK/display" >"$E2E_WORK/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local display=""
  read -r -t 15 display <"$E2E_WORK/display" || true
  [ -n "$display" ] || { cat "$E2E_WORK/xvfb.log"; fail "Xvfb did not start"; }
  export DISPLAY=:$display
  # Private runtime folder: the program spawns its own speech-dispatcher there. No sound
  # server answers at PULSE_SERVER, and no session bus is reached.
  export XDG_RUNTIME_DIR=$E2E_WORK/run XDG_CACHE_HOME=$E2E_WORK/cache
  export PULSE_SERVER=unix:$E2E_WORK/no-sound-server
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_WORK/no-session-bus
  export QT_QPA_PLATFORM=xcb
  unset SPEECHD_ADDRESS
}

# Starts the program on the current settings folder, without waiting for its window.
e2e_launch() {
  E2E_STARTS=$((E2E_STARTS + 1))
  PROGRAM_LOG=$E2E_WORK/program-$E2E_STARTS.log
  HOME=$E2E_HOME XDG_CONFIG_HOME=$E2E_CONFIG_HOME \
    QT_LOGGING_RULES="sorteggina.voice.info=true;sorteggina.speech.info=true" \
    QT_MESSAGE_PATTERN="%{category}|%{message}" \
    "$E2E_PROGRAM" >/dev/null 2>"$PROGRAM_LOG" &
  PROGRAM_PID=$!
  WINDOW=""
}

# Waits for the window and makes it the active one; the window maximises itself when
# activated, and only then do its keys count.
e2e_wait_ready() {
  local deadline=$(($(elapsed_ms) + 20000))
  WINDOW=$(timeout 20 xdotool search --sync --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null | head -n 1)
  [ -n "$WINDOW" ] || fail "no window appeared within 20 s (start $E2E_STARTS)"
  local WIDTH=0 HEIGHT=0 X=0 Y=0 SCREEN=0
  while :; do
    timeout 5 xdotool windowfocus --sync "$WINDOW" 2>/dev/null
    eval "$(xdotool getwindowgeometry --shell "$WINDOW" 2>/dev/null)"
    [ "$WIDTH" = "$E2E_SCREEN_W" ] && [ "$HEIGHT" = "$E2E_SCREEN_H" ] && break
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended during start-up"
    [ "$(elapsed_ms)" -lt "$deadline" ] || fail "window not activated and maximised within 20 s (${WIDTH}x${HEIGHT})"
    sleep 0.05
  done
}

e2e_start() { e2e_launch; e2e_wait_ready; }

# kill -9, as a power cut or a crash would end it.
e2e_kill() {
  { kill -9 "$PROGRAM_PID"; wait "$PROGRAM_PID"; } 2>/dev/null
  E2E_LAST_KILLED=$PROGRAM_PID
  PROGRAM_PID=""
}

e2e_key() { xdotool key "$1" 2>/dev/null; }

e2e_click_reload() {
  xdotool mousemove --window "$WINDOW" "$E2E_RELOAD_X" "$E2E_RELOAD_Y" click 1 2>/dev/null
}

# Texts handed to the voice by the current start, one a line.
e2e_spoken() { sed -n 's/^sorteggina\.voice|//p' "$PROGRAM_LOG"; }

# Waits up to $2 ms until the current start has handed the text $1 to the voice.
e2e_wait_spoken() {
  local deadline=$(($(elapsed_ms) + $2))
  until grep -qxF "sorteggina.voice|$1" "$PROGRAM_LOG"; do
    [ "$(elapsed_ms)" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}

# The saved draw as stored now ("" when there is none), read without starting a process.
saved_draw() {
  local line value=""
  if [ -f "$E2E_CONF" ]; then
    while IFS= read -r line || [ -n "$line" ]; do
      case $line in SalvaUlt=*) value=${line#SalvaUlt=} ;; esac
    done <"$E2E_CONF"
  fi
  printf '%s' "$value"
}

# The drawn cells of a saved draw, space separated.
cells_of() {
  local items
  IFS=- read -r -a items <<<"$1"
  echo "${items[@]:E2E_FIXED_ITEMS}"
}
cell_count() { local -a c; read -r -a c <<<"$(cells_of "$1")"; echo ${#c[@]}; }
# The five prize items and the six cartella flags.
fixed_of() {
  local items
  IFS=- read -r -a items <<<"$1"
  local IFS=-
  echo "${items[*]:0:E2E_FIXED_ITEMS}"
}

# Waits up to $2 ms until the saved draw differs from $1; SAVED is then the saved draw.
wait_saved_change() {
  local old=$1 deadline=$(($(elapsed_ms) + $2))
  while :; do
    SAVED=$(saved_draw)
    [ "$SAVED" != "$old" ] && return 0
    [ "$(elapsed_ms)" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}

# Two presses within one tick of the keyboard poll (100 ms) count as one held key: after
# a draw is seen saved, let the next tick pass before pressing again.
E2E_PRESS_GAP=0.3

# Presses Down and waits up to $1 ms for the draw to be saved (SAVED); fails the test
# unless exactly one cell was added.
draw_one() {
  local before problem
  before=$(saved_draw)
  e2e_key Down
  wait_saved_change "$before" "$1" || fail "Down pressed, nothing saved within $1 ms"
  if [ -n "$before" ]; then
    problem=$(one_more_problem "$before" "$SAVED")
  else
    problem=$(saved_draw_problem "$SAVED")
    [ -n "$problem" ] || [ "$(cell_count "$SAVED")" -eq 1 ] || problem="'$SAVED' is not one cell"
  fi
  [ -z "$problem" ] || fail "one press of Down: $problem"
  sleep "$E2E_PRESS_GAP"
}

# Empty when the settings file is well formed (or absent), otherwise what is wrong with it.
settings_problem() {
  [ -f "$E2E_CONF" ] || return 0
  local line n=0 key value seen=" "
  while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    if [ "$n" -eq 1 ]; then
      [ "$line" = "[Settaggio]" ] || { echo "line 1 is '$line', not [Settaggio]"; return; }
      continue
    fi
    [ -z "$line" ] && continue
    key=${line%%=*}
    value=${line#*=}
    case $key in
      Ambo | Terno | Quaterna | Cinquina | Tombola | Scandito | Smorfia)
        [[ $value =~ ^[0-9]+$ ]] || { echo "line $n: bad option value '$line'"; return; } ;;
      SalvaUlt)
        local why
        why=$(saved_draw_problem "$value")
        [ -z "$why" ] || { echo "line $n: $why"; return; } ;;
      *) echo "line $n: unexpected line '$line'"; return ;;
    esac
    [[ $seen == *" $key "* ]] && { echo "line $n: key $key written twice"; return; }
    seen+="$key "
  done <"$E2E_CONF"
  [ "$n" -ge 1 ] || echo "the file is empty"
}

# Empty when $1 is a well-formed saved draw: eleven 0/1 items, then strictly increasing
# cell indexes 0..89, each item followed by "-".
saved_draw_problem() {
  local s=$1
  [[ $s =~ ^([01]-){11}(([0-9]|[1-8][0-9])-)*$ ]] || { echo "SalvaUlt '$s' is malformed"; return; }
  local previous=-1 c
  for c in $(cells_of "$s"); do
    [ "$c" -gt "$previous" ] || { echo "SalvaUlt '$s': cells not strictly increasing"; return; }
    previous=$c
  done
}

# Empty when $2 is a well-formed saved draw holding $1 with exactly one more cell: the
# same cartella flags, no prize box cleared, every old cell kept.
one_more_problem() {
  local old=$1 new=$2 problem
  problem=$(saved_draw_problem "$new")
  [ -z "$problem" ] || { echo "$problem"; return; }
  local -a o n
  read -r -a o <<<"$(cells_of "$old")"
  read -r -a n <<<"$(cells_of "$new")"
  [ ${#n[@]} -eq $((${#o[@]} + 1)) ] || { echo "expected $((${#o[@]} + 1)) cells, got ${#n[@]}: '$new' after '$old'"; return; }
  local c
  for c in "${o[@]}"; do
    [[ " ${n[*]} " == *" $c "* ]] || { echo "cell $c lost: '$new' after '$old'"; return; }
  done
  local -a of nf
  IFS=- read -r -a of <<<"$(fixed_of "$old")"
  IFS=- read -r -a nf <<<"$(fixed_of "$new")"
  local i
  for i in 0 1 2 3 4; do
    [ "${of[i]}" -le "${nf[i]}" ] || { echo "prize box $i cleared: '$new' after '$old'"; return; }
  done
  [ "${of[*]:5}" = "${nf[*]:5}" ] || echo "cartella flags changed: '$new' after '$old'"
}
