# SPDX-License-Identifier: GPL-3.0-or-later
"""One copy per user and a prompt end: a second start shows the running copy's window and
ends at once, writing nothing, also after the first copy was killed with SIGKILL; a close
from the window manager or SIGTERM ends the process at once (waiting on nothing: well within
QUICK even on a loaded machine), with the game saved, and so does the window destroyed from outside."""
import os, signal, time
from harness import Display, Program, check, main, skip_unless, wait_for, PATIENCE

QUICK = 2


def close_as_a_window_manager(display, window):
    from Xlib import X, display as xdisplay, protocol
    x = xdisplay.Display(display.env["DISPLAY"])
    target = x.create_resource_object("window", int(window))
    message = protocol.event.ClientMessage(window=target, client_type=x.intern_atom("WM_PROTOCOLS"),
                                           data=(32, [x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
    target.send_event(message)
    x.sync()  # the server has taken the message before this connection closes
    x.close()


def one_copy_test(binary):
    with Display() as display:
        conf = display.path("config", "Vellucario", "Vellucario.conf")
        first = Program(display, binary).wait_window().activate()
        first.key("Down")
        wait_for(lambda: os.path.exists(conf), "the first copy saved its draw")
        for kill_first in (False, True):
            if kill_first:
                first.kill()
                first = Program(display, binary).wait_window().activate()
            before = os.stat(conf).st_mtime_ns
            display.run("xdotool", "windowminimize", first.window)
            started = time.monotonic()
            second = Program(display, binary)
            check(second.proc.wait(5) == 0, "the second copy did not end by itself")
            ended = time.monotonic() - started
            check(os.stat(conf).st_mtime_ns == before, "the second copy wrote the settings file")
            wait_for(lambda: first.window in display.run("xdotool", "search", "--onlyvisible", "--pid", str(first.proc.pid)),
                     "the first copy's window shown again")
            check(first.proc.poll() is None, "the first copy ended")
            print(f"{'after kill -9: ' if kill_first else ''}the second start ended in {ended:.2f} s and showed the first")

        first.activate()
        first.key("Down")
        saved = wait_for(lambda: display.settings().get("Partita/Ordine") and display.settings(), "a draw saved")
        started = time.monotonic()
        close_as_a_window_manager(display, first.window)
        code = first.proc.wait(PATIENCE)
        took = time.monotonic() - started
        check(code == 0 and took < QUICK, f"closed by the window manager: exit status {code} after {took:.2f} s")
        closed = took
        check(display.settings()["Settaggio/SalvaUlt"] == saved["Settaggio/SalvaUlt"], "the game was not kept")
        term = Program(display, binary).wait_window()
        started = time.monotonic()
        term.kill(signal.SIGTERM)
        took = time.monotonic() - started
        check(term.proc.returncode == 0 and took < QUICK, f"SIGTERM: exit status {term.proc.returncode} after {took:.2f} s")
        gone = Program(display, binary).wait_window()
        display.run("xdotool", "windowclose", gone.window)
        check(gone.proc.wait(PATIENCE) == 0, "the program ran on after its window was destroyed")
        print(f"a close by the window manager ended the program in {closed:.3f} s, the game saved; SIGTERM in "
              f"{took:.3f} s; a window destroyed from outside ends it too")


if __name__ == "__main__":
    skip_unless()
    main(one_copy_test)
