# SPDX-License-Identifier: GPL-3.0-or-later
"""The players' screen on a computer with two screens: F7 opens it full screen on the screen
the caller's window is not on, it shows the numbers drawn as the caller's board does after
draws, a number given back in manual mode, and a reload after a kill; F7 closes it; left
open at "Esci", it is open at the next start."""
import os

import numpy as np
from harness import Display, Program, check, main, skip_unless, wait_for, TWIPS_PER_PX

RELOAD, MANUAL = (65, 507), (45, 318)


def drawn_on(shot, left, width, height, red):
    """The cells whose corner is the board's red, for a board at left of width x height."""
    corner = lambda cell: shot[int((cell // 10 + .1) * height / 9), int(left + (cell % 10 + .1) * width / 10)]
    return {cell for cell in range(90) if np.all(np.abs(corner(cell).astype(int) - red) < 30)}


def hall_test(binary):
    with Display("1280x1024", "1920x1080") as display:
        def saved():
            return {int(c) for c in display.settings().get("Settaggio/SalvaUlt", "").split("-")[11:-1]}

        def boards_agree(what):
            def agree():
                caller = drawn_on(display.screenshot(0), 2000 / TWIPS_PER_PX, 1280 - 2000 / TWIPS_PER_PX, 1024 - 40, (255, 0, 0))
                hall = drawn_on(display.screenshot(1), 0, 1920 - 1920 * 38 // 100, 1080, (150, 0, 0))
                return caller == hall == saved() and caller
            wait_for(agree, f"{what}: the hall shows the caller's board")

        # The prizes up to the cinquina left out of the game: their banner would cover cells
        # of both boards for half a minute, and no tombola comes in five draws.
        os.makedirs(display.path("config", "Vellucario"))
        with open(display.path("config", "Vellucario", "Vellucario.conf"), "w") as conf:
            conf.write("[Settaggio]\nAmbo=1\nTerno=1\nQuaterna=1\nCinquina=1\n")
        program = Program(display, binary).wait_window().activate()
        program.key("Down", "Down", "Down", "F7", gap=0.3)
        wait_for(lambda: display.settings().get("Sala/Aperta") == "1", "the hall opened")
        # Full screen on the second screen: the side panel's green reaches its right edge.
        wait_for(lambda: tuple(display.screenshot(1)[1079, 1919]) == (0, 64, 0), "the hall fills the second screen")
        program.key("Down", "Down", gap=0.3)
        boards_agree("five draws")

        program.click(*MANUAL)
        number = min(saved()) + 1
        cell_w, cell_h = (1280 - 2000 / TWIPS_PER_PX) / 10, (1024 - 40) / 9
        program.click(2000 / TWIPS_PER_PX + ((number - 1) % 10 + .5) * cell_w, ((number - 1) // 10 + .5) * cell_h)
        wait_for(lambda: number - 1 not in saved(), "the number given back")
        boards_agree("a number given back")

        program.kill()
        program = Program(display, binary).wait_window().activate()
        program.click(*RELOAD)
        wait_for(lambda: "Ultima estrazione, ricaricata!" in program.spoken(), "the reload")
        boards_agree("a reload after a kill (the hall opens again by itself)")

        program.key("F7")
        wait_for(lambda: display.settings().get("Sala/Aperta") == "0", "F7 closed the hall")
        # Left open at "Esci", it opens again at the next start.
        program.key("F7", "ctrl+q")
        wait_for(lambda: program.proc.poll() is not None, "Ctrl+Q ended the program")
        check(display.settings().get("Sala/Aperta") == "1", "the hall left open at the end is stored closed")
        print("the hall followed draws, a number given back and a reload, on the second screen, "
              "and stays open for the next start")


if __name__ == "__main__":
    skip_unless()
    main(hall_test)
