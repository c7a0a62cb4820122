"""SIGKILL at random moments of real use (during start-up, idle after a draw, among Down
presses). After every kill the settings file is whole, a stale lock left by the dead program
does not block the next start, and the next start brings the game back: "Ricarica ultima"
and one Down give the saved numbers plus exactly one. E2E_SEED and E2E_KILLS replay or
lengthen a run."""
import os, random, re, threading, time
from harness import Display, Program, check, main, skip_unless, wait_for

RELOAD_BUTTON = (65, 507)  # "Ricarica ultima", window pixels at 96 dpi
SAVED = re.compile(r"([01]-){11}(([0-9]|[1-8][0-9])-)*")
KEYS = {"Settaggio/" + k for k in ("Ambo", "Terno", "Quaterna", "Cinquina", "Tombola", "Scandito", "Smorfia", "SalvaUlt")}


def cells(saved):
    return [int(c) for c in saved.split("-")[11:-1]]


def settings_problem(display):
    path = display.path("config", "Vellucario", "Vellucario.conf")
    if not os.path.exists(path):
        return None
    values = display.settings()
    unknown = set(values) - KEYS - {"Partita/Ordine", "Partita/Tombolino"}
    saved = values.get("Settaggio/SalvaUlt", "0-0-0-0-0-1-1-1-1-1-1-")
    if unknown or not SAVED.fullmatch(saved) or cells(saved) != sorted(set(cells(saved))):
        return f"damaged: {values}"
    return None


def draw_one(display, program, before):
    """One Down on the board that holds before (None: a fresh board)."""
    stored = display.settings().get("Settaggio/SalvaUlt")
    program.key("Down", gap=0)
    now = wait_for(lambda: (lambda s: s if s != stored else None)(display.settings().get("Settaggio/SalvaUlt")), 3,
                   "one Down saved")
    check(set(cells(before or "")) <= set(cells(now)) and len(cells(now)) == len(cells(before or "")) + 1,
          f"one Down gave {now} after {before}")
    time.sleep(0.3)
    return now


def random_kills(binary):
    rng = random.Random(int(os.environ.get("E2E_SEED", "1931")))
    counts = {"start-up": 0, "idle": 0, "presses": 0}
    with Display() as display:
        for round in range(int(os.environ.get("E2E_KILLS", "16")) + 1):
            known = display.settings().get("Settaggio/SalvaUlt")
            moment = "start-up" if round % 5 == 4 else "idle" if round % 5 == 0 else "presses"
            program = Program(display, binary)
            if moment == "start-up":
                time.sleep(rng.uniform(0, 1.5))
            else:
                program.wait_window().activate()
                if known and len(cells(known)) < 30:
                    program.click(*RELOAD_BUTTON)
                    wait_for(lambda: "Ultima estrazione, ricaricata!" in program.spoken(), 5, f"round {round}: reload")
                    check(display.settings().get("Settaggio/SalvaUlt") == known, "the reload wrote the saved game")
                known = draw_one(display, program, known if known and len(cells(known)) < 30 else None)
                if moment == "presses":
                    stop = threading.Event()
                    presser = threading.Thread(target=lambda: [program.key("Down", gap=0.3) for _ in iter(stop.is_set, True)])
                    presser.start()
                    time.sleep(rng.uniform(0.05, 1.5))
                else:
                    time.sleep(rng.uniform(0, 0.4))
            program.kill()
            if moment == "presses":
                stop.set()
                presser.join()
            counts[moment] += 1
            problem = settings_problem(display)
            check(problem is None, f"round {round} ({moment}): {problem}")
            now = display.settings().get("Settaggio/SalvaUlt")
            check(not known or set(cells(known)) <= set(cells(now or "")), f"round {round}: {now} lost numbers of {known}")
        print(f"{sum(counts.values())} kills {counts}, the game came back after each")


if __name__ == "__main__":
    skip_unless()
    main(random_kills)
