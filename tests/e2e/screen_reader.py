# SPDX-License-Identifier: GPL-3.0-or-later
"""A screen reader's view of the real program, through AT-SPI as Orca gets it: the window is
a frame, the 90 cells are there with their numbers and a checked state once drawn, and
"Estrai Numero" pressed by its action draws a number; the numbers out are a list walked item
by item (the voice dialog is checked with Orca itself, in orca_evening.py)."""
import os, re, subprocess, time
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


def every(node, depth=0):
    yield node
    for i in range(node.childCount if depth < 12 else 0):
        yield from every(node.getChildAtIndex(i), depth + 1)


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
                           "the program on the accessibility bus")
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
            order = wait_for(lambda: display.settings().get("Partita/Ordine"), "a number drawn by the action")
            drawn = cells[order]
            check(drawn.getState().contains(pyatspi.STATE_CHECKED), f"{order} drawn but not checked")
            check(not cells[str(91 - int(order))].getState().contains(pyatspi.STATE_CHECKED), "a cell not drawn is checked")
            print(f"frame, 90 cells, Estrai Numero pressed by its action: {order} drawn and checked "
                  f"({drawn.description})")

            program.key("Down", "Down", "Down", "Down")
            order = wait_for(lambda: (o := re.findall(r"\d+", display.settings().get("Partita/Ordine", ""))) and
                             len(o) == 5 and o, "five numbers drawn")
            program.key("F8")
            dialog = wait_for(lambda: find(app, lambda n: n.getRole() == pyatspi.ROLE_DIALOG and n.name == "Numeri usciti"),
                              "the numbers out")
            numbers = find(dialog, lambda n: n.getRole() == pyatspi.ROLE_LIST)
            check(find(dialog, lambda n: n.getRole() == pyatspi.ROLE_LABEL and n.name == "Estratti 5") is not None,
                  "no label Estratti 5")
            current = lambda: next((n.name for n in list(every(numbers))[1:] if n.getState().contains(pyatspi.STATE_FOCUSED)), None)
            check(numbers.getState().contains(pyatspi.STATE_FOCUSED) and current().startswith(f"5º: {order[-1]}, "),
                  f"the list opens on {current()!r}, not focused on the newest")
            program.key("Home")
            for i, number in enumerate(order):
                check(current().startswith(f"{i + 1}º: {number}, "), f"item {i + 1} reads {current()!r}")
                program.key("Down")
            check(current().startswith(f"5º: {order[-1]}, ") and len(re.findall(r"\d+", display.settings()["Partita/Ordine"])) == 5,
                  "Down went past the last item or drew a number")
            print(f"numbers out walked from the first to the newest ({current()})")
        finally:
            subprocess.run(["kill", bus[1]])


if __name__ == "__main__":
    skip_unless("dbus-daemon", "/usr/libexec/at-spi-bus-launcher")
    main(screen_reader_test)
