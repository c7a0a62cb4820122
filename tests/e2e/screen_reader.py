# SPDX-License-Identifier: GPL-3.0-or-later
"""A screen reader's view of the real program, through AT-SPI as Orca gets it: the window is
a frame, the 90 cells are there with their numbers and a checked state once drawn, and
"Estrai Numero" pressed by its action draws a number."""
import os, subprocess, time
from harness import Display, Program, check, main, skip_unless, wait_for


def find(node, predicate, depth=0):
    if predicate(node):
        return node
    for i in range(node.childCount if depth < 12 else 0):
        child = node.getChildAtIndex(i)
        if child is not None:
            found = find(child, predicate, depth + 1)
            if found is not None:
                return found
    return None


def screen_reader_test(binary):
    with Display() as display:
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             env=display.env, capture_output=True, text=True).stdout.split()
        display.env.update(DBUS_SESSION_BUS_ADDRESS=bus[0], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        try:
            os.environ.update(DBUS_SESSION_BUS_ADDRESS=bus[0], DISPLAY=display.env["DISPLAY"])
            import pyatspi  # reads the session bus when first imported
            program = Program(display, binary).wait_window().activate()
            app = wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name.lower() == "sorteggina"), None),
                           10, "the program on the accessibility bus")
            frame = app.getChildAtIndex(0)
            check(frame.getRole() == pyatspi.ROLE_FRAME, f"the window is a {frame.getRoleName()}, not a frame")
            board = find(frame, lambda n: n.getRole() == pyatspi.ROLE_TABLE)
            check(board is not None and board.childCount == 90, "no board of 90 cells")
            cells = {cell.name: cell for cell in (board.getChildAtIndex(i) for i in range(90))}
            check(sorted(cells, key=int) == [str(n) for n in range(1, 91)], "the cells are not named 1 to 90")
            draw = find(frame, lambda n: n.name == "Estrai Numero")
            actions = draw.queryAction()
            check(actions.getName(0).lower() == "press", f"the first action of Estrai Numero is {actions.getName(0)}")
            actions.doAction(0)
            order = wait_for(lambda: display.settings().get("Partita/Ordine"), 5, "a number drawn by the action")
            drawn = cells[order]
            check(drawn.getState().contains(pyatspi.STATE_CHECKED), f"{order} drawn but not checked")
            check(not cells[str(91 - int(order))].getState().contains(pyatspi.STATE_CHECKED), "a cell not drawn is checked")
            print(f"frame, 90 cells, Estrai Numero pressed by its action: {order} drawn and checked "
                  f"({drawn.description})")
        finally:
            subprocess.run(["kill", bus[1]])


if __name__ == "__main__":
    skip_unless("dbus-daemon", "/usr/libexec/at-spi-bus-launcher")
    main(screen_reader_test)
