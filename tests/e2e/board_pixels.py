# SPDX-License-Identifier: GPL-3.0-or-later
"""What reaches the screen: at several screen sizes and scales, every number of the board,
the last number, the smorfia line and the tombola banner are drawn in their colours."""
import numpy as np
from harness import Display, Program, check, main, skip_unless, wait_for, TWIPS_PER_PX

SCREENS = [  # screen, QT_SCALE_FACTOR
    ("1366x768", "1"),
    ("1920x1080", "1"),
    ("2560x1440", "1"),
    ("3840x2160", "2"),
]


def count(area, lo, hi):
    """Pixels of area whose red, green and blue each lie within lo..hi."""
    return int(np.all((area >= lo) & (area <= hi), axis=2).sum())


def board_test(binary):
    for screen, scale in SCREENS:
        width, height = (int(v) for v in screen.split("x"))
        s = int(scale)
        with Display(screen) as display:
            program = Program(display, binary, QT_SCALE_FACTOR=scale).wait_window().activate()
            for prize in range(4):  # prizes left out: no prize message over the board
                program.click(62 * s, ((2100 + 330 * prize) / TWIPS_PER_PX + 8) * s)
            program.key(*["Down"] * 5)
            wait_for(lambda: len(display.settings().get("Settaggio/SalvaUlt", "").split("-")) == 17, "5 draws saved")
            shot = display.screenshot()
            where = f"{screen} at scale {scale}"

            # The board fills the window right of the 2000-twip column, above the smorfia line.
            left, bottom = 2000 / TWIPS_PER_PX * s, height - 600 / TWIPS_PER_PX * s
            cw, ch = (width - left) / 10, bottom / 9
            drawn = {int(c) for c in display.settings()["Settaggio/SalvaUlt"].split("-")[11:-1]}
            for cell in range(90):
                x, y = left + (cell % 10) * cw, (cell // 10) * ch
                middle = shot[int(y + ch * .3):int(y + ch * .7), int(x + cw * .3):int(x + cw * .7)]
                check(count(middle, 0, 60) > middle.size / 3 * .02, f"{where}: no number drawn in cell {cell + 1}")
                if cell in drawn:
                    edge = shot[int(y + ch * .08):int(y + ch * .15), int(x + cw * .08):int(x + cw * .92)]
                    check(count(edge, (200, 0, 0), (255, 40, 40)) > edge.size / 3 * .9, f"{where}: {cell + 1} not red")

            # The last number in light green, top left; the smorfia line under the board.
            last = shot[int(50 / TWIPS_PER_PX * s):int(1445 / TWIPS_PER_PX * s), :int(left)]
            check(count(last, (100, 220, 100), (160, 255, 160)) > 200 * s * s, f"{where}: no last number shown")
            line = shot[int(bottom):, int(left):]
            check(count(line, (220, 160, 90), (255, 220, 160)) > 150 * s * s, f"{where}: no smorfia line")

            # The tombola blinks in yellow over the board.
            program.key("F6")
            banner = lambda: count(display.screenshot()[:int(bottom), int(left):], (220, 220, 0), (255, 255, 60)) > 2000 * s * s
            wait_for(banner, f"{where}: the tombola banner in yellow")
            print(f"{where}: 90 numbers, {len(drawn)} drawn in red, last number, smorfia line, banner")


if __name__ == "__main__":
    skip_unless()
    main(board_test)
