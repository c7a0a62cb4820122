#!/usr/bin/env bash
# SIGKILL at random moments of real use (during start-up, idle after a draw, in the middle
# of a run of Down presses), one X server for the whole run. After every kill the settings
# file is whole, no lock left behind blocks the next start, and the next start brings the
# game back: "Ricarica ultima" and one Down give the saved cells plus exactly one new cell.
# E2E_SEED and E2E_KILLS replay or lengthen a run.
E2E_NAME=random_kills
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1

seed=${E2E_SEED:-1931}
kills=${E2E_KILLS:-30}
RANDOM=$seed
# A game this long goes on with a fresh board instead of a reload, far from any tombola.
max_reloaded_cells=30

# In this shell, not in $(...): a subshell draws from a reseeded generator.
random_ms() { delay=$((RANDOM % ($2 - $1 + 1) + $1)); }
seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }
# Kills the program at a random moment from $1 to $2 ms from now; the delay is left in $delay.
kill_within() {
  random_ms "$1" "$2"
  sleep "$(seconds "$delay")"
  e2e_kill
}

# Empty when the saved draw $2 is $1 with zero or more cells added.
kept_problem() {
  local old=$1 new=$2 c
  [ -z "$old" ] && return 0
  [ -n "$new" ] || { echo "the saved draw disappeared"; return; }
  for c in $(cells_of "$old"); do
    [[ " $(cells_of "$new") " == *" $c "* ]] || { echo "cell $c lost: '$new' after '$old'"; return; }
  done
  [ "$(fixed_of "$old" | cut -d- -f6-)" = "$(fixed_of "$new" | cut -d- -f6-)" ] \
    || echo "cartella flags changed: '$new' after '$old'"
}

wait_lock_gone() {
  local deadline=$(($(elapsed_ms) + $1))
  while [ -e "$E2E_CONF.lock" ]; do
    [ "$(elapsed_ms)" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}

# The start after a kill: the game comes back, or a fresh board when there is none to
# reload or it is long enough.
recover() {
  local before cells
  before=$(saved_draw)
  cells=$(cell_count "$before")
  if [ -n "$before" ] && [ "$cells" -lt "$max_reloaded_cells" ]; then
    e2e_click_reload
    e2e_wait_spoken "$RELOADED_TEXT" 5000 || fail "round $round: '$RELOADED_TEXT' not spoken"
    [ "$(saved_draw)" = "$before" ] || fail "round $round: the reload wrote the saved draw"
    draw_one 3000
    reloads=$((reloads + 1))
  else
    e2e_key Down
    wait_saved_change "$before" 3000 || fail "round $round: Down on a fresh board saved nothing"
    [ "$(cell_count "$SAVED")" -eq 1 ] || fail "round $round: a fresh start drew onto an old board: '$SAVED'"
    sleep "$E2E_PRESS_GAP"
    fresh_boards=$((fresh_boards + 1))
  fi
  wait_lock_gone 2000 || fail "round $round: $E2E_CONF.lock still there after a save"
}

e2e_start_x
e2e_new_config silent
log "seed $seed, $kills kills"

startup_kills=0 idle_kills=0 burst_kills=0 reloads=0 fresh_boards=0
natural_locks=0 planted_locks=0 planted_pending=0 max_cells=0
for ((round = 1; round <= kills; round++)); do
  known=$(saved_draw)
  # One kill in five during start-up, one idle after a draw, three among Down presses.
  moment=$((round % 5))
  e2e_launch
  if [ "$moment" -eq 0 ]; then
    kill_within 0 1500
    startup_kills=$((startup_kills + 1))
    what="start-up +${delay}ms"
    [ "$(saved_draw)" = "$known" ] || fail "round $round: killed during start-up, the saved draw changed to '$(saved_draw)'"
  else
    e2e_wait_ready
    recover
    known=$SAVED
    if [ "$moment" -eq 1 ]; then
      kill_within 0 400
      idle_kills=$((idle_kills + 1))
      what="idle +${delay}ms"
    else
      (while :; do xdotool key Down 2>/dev/null; sleep "$E2E_PRESS_GAP"; done) &
      presser=$!
      E2E_HELPERS+=("$presser")
      kill_within 50 1500
      { kill "$presser"; wait "$presser"; } 2>/dev/null
      unset 'E2E_HELPERS[-1]'
      burst_kills=$((burst_kills + 1))
      what="presses +${delay}ms"
    fi
  fi

  problem=$(settings_problem)
  [ -z "$problem" ] || fail "round $round ($what): settings file after kill -9: $problem"
  now=$(saved_draw)
  problem=$(kept_problem "$known" "$now")
  [ -z "$problem" ] || fail "round $round ($what): $problem"
  cells=$(cell_count "$now")
  [ "$cells" -gt "$max_cells" ] && max_cells=$cells
  lock=""
  if [ "$moment" -ne 0 ]; then
    planted_pending=0 # that start's save got past it
  fi
  if [ -e "$E2E_CONF.lock" ] && [ "$planted_pending" -eq 0 ]; then
    natural_locks=$((natural_locks + 1))
    lock=", lock left behind"
  elif ((round % 6 == 0)) && [ -f "$E2E_CONF" ] && [ "$planted_pending" -eq 0 ]; then
    # What a kill in the middle of a write leaves: a lock naming the dead process.
    printf '%s\nsorteggina\n%s\n' "$E2E_LAST_KILLED" "$(uname -n)" >"$E2E_CONF.lock"
    planted_locks=$((planted_locks + 1))
    planted_pending=1
    lock=", stale lock planted"
  fi
  log "kill $round ($what): $cells cells$lock"
done

log "final start"
e2e_start
round=final
recover
e2e_kill
log "PASS: $kills kills (start-up $startup_kills, idle $idle_kills, presses $burst_kills)," \
  "$reloads reloads + $fresh_boards fresh boards checked, max $max_cells cells," \
  "locks left by kills $natural_locks, stale locks planted $planted_locks"
