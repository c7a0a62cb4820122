#!/usr/bin/env bash
# With no sound server the voice never finishes a text; the window must not wait for it.
# Numbers are drawn one after the other with Down for longer than the voice takes to give
# up on its first texts, and every press must be saved within a second.
E2E_NAME=no_sound_server
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1

run_ms=${E2E_RUN_MS:-13000}
bound_ms=1000

e2e_start_x
e2e_new_config stock
e2e_start
# The first press may still wait for the speech engine to come up.
draw_one 5000
first_ms=$(elapsed_ms)
presses=1 worst=0
while [ $(($(elapsed_ms) - first_ms)) -lt "$run_ms" ]; do
  before=$(saved_draw)
  pressed=$(elapsed_ms)
  e2e_key Down
  presses=$((presses + 1))
  if ! wait_saved_change "$before" "$bound_ms"; then
    given_up=$(grep -c '^sorteggina\.speech|Not spoken' "$PROGRAM_LOG")
    fail "press $presses, $(seconds_since "$first_ms") s after the first draw: nothing saved" \
      "within $bound_ms ms (texts given up by the voice so far: $given_up)"
  fi
  took=$(($(elapsed_ms) - pressed))
  [ "$took" -gt "$worst" ] && worst=$took
  problem=$(one_more_problem "$before" "$SAVED")
  [ -z "$problem" ] || fail "press $presses: $problem"
  sleep "$E2E_PRESS_GAP"
done
given_up=$(grep -c '^sorteggina\.speech|Not spoken' "$PROGRAM_LOG")
spoken=$(e2e_spoken | wc -l)
e2e_kill
log "PASS: $presses draws in $(seconds_since "$first_ms") s, slowest save ${worst} ms;" \
  "$spoken texts handed to the voice, $given_up given up as unfinished"
