#!/usr/bin/env bash
# A game killed with SIGKILL comes back whole with "Ricarica ultima": the saved draw
# survives the kill, a start alone neither rewrites nor restores it, the reload restores
# exactly the saved numbers without writing, and the next draw adds one number not yet out.
E2E_NAME=kill_and_reload
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1

e2e_start_x
e2e_new_config silent

log "first start on an empty settings folder"
e2e_start
e2e_click_reload
e2e_wait_spoken "$NO_SAVED_GAME_TEXT" 5000 || fail "reload without a saved game: '$NO_SAVED_GAME_TEXT' not spoken"
[ -z "$(saved_draw)" ] || fail "reload without a saved game wrote a saved draw"

for _ in 1 2 3 4 5; do draw_one 3000; done
game=$SAVED
log "five numbers drawn: $game"

e2e_kill
[ "$(saved_draw)" = "$game" ] || fail "after kill -9 the saved draw is '$(saved_draw)', not '$game'"
problem=$(settings_problem)
[ -z "$problem" ] || fail "settings file after kill -9: $problem"

log "second start, reload"
e2e_start
[ "$(saved_draw)" = "$game" ] || fail "start-up rewrote the saved draw"
e2e_click_reload
e2e_wait_spoken "$RELOADED_TEXT" 5000 || fail "'$RELOADED_TEXT' not spoken after the reload"
! e2e_spoken | grep -qxF "$NO_SAVED_GAME_TEXT" || fail "the reload found no saved game"
[ "$(saved_draw)" = "$game" ] || fail "the reload wrote the saved draw: '$(saved_draw)'"
# The saved draw is written only by a draw: the next one shows the restored board.
draw_one 3000
log "reloaded, one more drawn: $SAVED"
continued=$SAVED

e2e_kill
[ "$(saved_draw)" = "$continued" ] || fail "after the second kill the saved draw is '$(saved_draw)', not '$continued'"

log "third start, no reload"
e2e_start
e2e_key Down
wait_saved_change "$continued" 3000 || fail "Down on a fresh start saved nothing"
[ "$(cell_count "$SAVED")" -eq 1 ] || fail "a start without reload drew onto an old board: '$SAVED'"
problem=$(settings_problem)
[ -z "$problem" ] || fail "settings file: $problem"
e2e_kill
log "PASS ($E2E_STARTS starts)"
