# SPDX-License-Identifier: GPL-3.0-or-later
"""SIGKILL at random moments of real use (during start-up, idle after a draw, among Down
presses, while automatic calling runs). After every kill the settings file is whole, the lock
the dead program left does not block the next start, and the next start brings the game back,
in the order it came: "Ricarica ultima" and one Down give the saved numbers plus exactly one.
The evenings' database is written first: after a kill its last game holds the saved game's
numbers and at most one more (a new game's first); once the program is back, exactly the saved
ones. E2E_SEED and E2E_KILLS replay or lengthen a run."""
import os, random, re, sqlite3, threading, time
from harness import Display, Program, check, main, skip_unless, wait_for

RELOAD_BUTTON = (65, 507)  # "Ricarica ultima", window pixels at 96 dpi
WHOLE = re.compile(r"([01]-){11}(([0-9]|[1-8][0-9])-)*")
KEYS = {"Settaggio/" + k for k in ("Ambo", "Terno", "Quaterna", "Cinquina", "Tombola", "Scandito", "Smorfia",
                                   "SalvaUlt")} | {"Partita/Ordine", "Partita/Tombolino",
                                                              "Partita/Chiusa", "Rete/Codice"}


def game(display):
    """The saved game as (its text, the numbers in the order they came); checks it is whole."""
    values = display.settings()
    text, order = values.get("Settaggio/SalvaUlt", ""), values.get("Partita/Ordine", "")
    numbers = [int(n) for n in order.split("-") if n]
    check(set(values) <= KEYS and (not text or WHOLE.fullmatch(text)), f"damaged settings: {values}")
    check(sorted(numbers) == [int(c) + 1 for c in text.split("-")[11:-1]], f"order {order} against {text}")
    return text, numbers


def recorded(display):
    """The numbers out in each game of the database's last evening, a game begun with nothing
    out left out (its only draws taken back at the start after a kill)."""
    path = display.path("home", ".local", "share", "Vellucario", "serate.sqlite")
    games = [[]]
    if os.path.exists(path):
        with sqlite3.connect(f"file:{path}?mode=ro", uri=True) as db:
            rows = db.execute("SELECT kind, number FROM events WHERE evening = (SELECT max(id) FROM evenings) ORDER BY id")
            for kind, number in rows:
                if kind == 1:
                    games.append([])
                elif kind == 3:
                    games[-1].append(number)
                elif kind == 4:
                    games[-1].remove(number)
    return [g for g in games if g] or [[]]


def random_kills(binary):
    rng = random.Random(int(os.environ.get("E2E_SEED", "1931")))
    counts, automatic = {"start-up": 0, "idle": 0, "presses": 0, "automatic": 0}, 0
    with Display() as display:
        for round in range(int(os.environ.get("E2E_KILLS", "16")) + 1):
            known = game(display)
            moment = ("idle", "automatic", "presses", "automatic", "start-up")[round % 5]
            program = Program(display, binary)
            if moment == "start-up":
                time.sleep(rng.uniform(0, 1.5))
            else:
                program.wait_window().activate()
                check(wait_for(lambda: recorded(display)[-1] == known[1], "caught up"), "database not the saved game")
                reload = 0 < len(known[1]) < 30  # a long game goes on with a fresh board
                if reload:
                    program.click(*RELOAD_BUTTON)
                    wait_for(lambda: "Ultima estrazione, ricaricata!" in program.spoken(), f"round {round}: reload")
                program.key("Down", gap=0)
                after = wait_for(lambda: (lambda g: g if g[0] != known[0] else None)(game(display)), "one Down saved")
                check(after[1][:-1] == (known[1] if reload else []), f"round {round}: {after[1]} after {known[1]}")
                known = after
                stop = threading.Event()
                presser = threading.Thread(target=lambda: [program.key("Down", gap=0.3) for _ in iter(stop.is_set, True)])
                if moment == "presses":
                    presser.start()
                if moment == "automatic":
                    program.key("ctrl+t")
                time.sleep(rng.uniform(0.3, 1.5) if moment != "automatic" else rng.uniform(1, 9))
            program.kill()
            if moment == "presses":
                stop.set()
                presser.join()
            counts[moment] += 1
            now = game(display)
            automatic += len(now[1]) - len(known[1]) if moment == "automatic" else 0
            games = recorded(display)
            check(games[-1] in (now[1], now[1] + games[-1][len(now[1]):][:1]) or games[-2:] == [now[1], games[-1][:1]],
                  f"round {round}: database {games[-2:]} against saved {now[1]}")
            check(now[1][:len(known[1])] == known[1], f"round {round} ({moment}): {now[1]} lost what {known[1]} held")
        check(automatic > 0, "automatic calling drew nothing before its kills")
        print(f"{sum(counts.values())} kills {counts} ({automatic} numbers called automatically), the game came "
              "back in its order after each")


if __name__ == "__main__":
    skip_unless()
    main(random_kills)
