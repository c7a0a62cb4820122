# SPDX-License-Identifier: GPL-3.0-or-later
"""Automatic calling in the real program: at 3 s (set in [Estrazione] before the start) a
number comes 3 s after the voice has finished the last one, Space holds and resumes it, it
holds by itself at the owner's first prize, and the winner it recorded survives a kill -9."""
import os, sqlite3, time
from harness import Display, Program, check, main, skip_unless, wait_for

INTERVAL = 3


def auto_calling_test(binary):
    with Display("1280x1024") as display:
        os.makedirs(display.path("config", "Vellucario"), exist_ok=True)
        with open(display.path("config", "Vellucario", "Vellucario.conf"), "w") as conf:
            conf.write(f"[Estrazione]\nSecondi={INTERVAL}\n")

        def count():
            return len(display.settings().get("Settaggio/SalvaUlt", "0-0-0-0-0").split("-")) - 12

        def record():
            """The evening's rows in the database, a line each."""
            path = display.path("home", ".local", "share", "Vellucario", "serate.sqlite")
            if not os.path.exists(path):
                return ""
            with sqlite3.connect(f"file:{path}?mode=ro", uri=True) as db:
                rows = db.execute("SELECT id, kind, number, prize, name FROM events ORDER BY id")
                return "\\n".join(" ".join(map(str, row)) for row in rows)

        pauses = lambda: program.spoken().count("pausa")
        gaps = []

        def run_for(draws, until_prize=False):
            """Times the draws as they come; a prize holds it: there it stops or goes on."""
            last, start = count(), None
            for _ in range(draws):
                held_before = pauses()
                wait_for(lambda: count() > last, f"draw {last + 1}")
                now, last = time.monotonic(), count()
                if start is not None:
                    gaps.append(now - start)
                start = now
                if pauses() > held_before:
                    if until_prize:
                        return
                    program.key("space")
                    start = None

        def held(what):
            before = count()
            time.sleep(2 * INTERVAL + 1)
            check(count() == before, f"a number came while held {what}")

        program = Program(display, binary).wait_window().activate()
        program.key("ctrl+t")
        # Left to run, it holds by itself at the owner's first prize.
        run_for(40, until_prize=True)
        check("il tabellone" in record(), "no prize of the owner in 40 numbers")
        at_prize = count()
        held("at the owner's prize")
        kept = [line for line in record().split("\\n") if "il tabellone" in line]

        program.key("space")
        wait_for(lambda: "si riprende" in program.spoken(), "resumed")
        run_for(2)
        # Space holds it, and the next Space resumes it.
        program.key("space")
        held("by Space")
        program.key("space")
        run_for(1)
        check(len(gaps) >= 2 and all(INTERVAL <= g <= INTERVAL + 5 for g in gaps), f"the draws came {gaps} s apart")

        program.kill()
        program = Program(display, binary).wait_window().activate()
        before = record()
        program.key("Down")
        wait_for(lambda: record() != before, "the record saved again after the restart")
        check(all(line in record().split("\\n") for line in kept), "the evening's winners did not survive a kill -9")
        print(f"draws {', '.join(f'{g:.2f}' for g in gaps)} s apart at {INTERVAL} s; held by Space and at the "
              f"owner's prize after {at_prize} numbers; the record survived a kill -9")


if __name__ == "__main__":
    skip_unless()
    main(auto_calling_test)
