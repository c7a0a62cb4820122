# SPDX-License-Identifier: GPL-3.0-or-later
"""A blind caller's evening with Debian's Orca really running (a private session bus, icewm,
speech into nothing), checked by what Orca says (its debug output's speech lines): the help
page read as it opens, Enter pressing a dialog's focused button, the voice boxes read with
their choice, a phone's claim heard and answered from Ctrl+G and from a modal question, Smorfia and Scandito heard."""
import base64, json, os, re, socket, subprocess, time
from harness import Display, Program, check, main, skip_unless, wait_for, PATIENCE

TOKEN = "0123456789abcdef0123456789abcdef"
ClaimPaceSeconds = 3.1


class Phone:
    """A phone speaking the page's messages over a plain WebSocket."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall(f"GET /ws?t={TOKEN} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                          f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n".encode())
        self.received = self.sock.recv(4096)
        check(b" 101 " in self.received.split(b"\r\n")[0], "the phone's socket was not taken")

    def told(self, words, seconds=PATIENCE):
        """Waits for `words` in what the program sends (its frames are plain text)."""
        self.sock.settimeout(0.2)
        def heard():
            try:
                self.received += self.sock.recv(65536)
            except socket.timeout:
                pass
            return words.encode() in self.received
        wait_for(heard, f"the phone told {words!r}", seconds)

    def send(self, message):
        data, mask = json.dumps(message).encode(), os.urandom(4)
        self.sock.sendall(bytes([0x81, 0x80 | len(data)]) + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))


# Orca with only its speech written out, each text as it is spoken (its debug file would
# keep them in a buffer, and its full debug output slows it down).
ORCA = """import runpy, sys
from orca import debug
debug.println = lambda level, text='', *_: text.startswith('SPEECH OUTPUT') and print(text, flush=True)
sys.argv = ['orca']
runpy.run_path('/usr/bin/orca', run_name='__main__')"""


class Orca:
    """Orca on the display's own session bus; said() is every text it spoke so far."""

    def __init__(self, display):
        self.display, self.out = display, display.path("orca.out")
        self.proc = subprocess.Popen(["/usr/bin/python3", "-c", ORCA], env=display.env,
                                     stdout=open(self.out, "w"), stderr=subprocess.DEVNULL)
        self.heard = 0
        wait_for(lambda: self.said(), "Orca speaking", seconds=60)

    def said(self):
        text = open(self.out, encoding="utf-8", errors="replace").read() if os.path.exists(self.out) else ""
        return re.findall(r"^SPEECH OUTPUT: '(.*?)' ?(?:\{.*\})?$", text, re.M)

    def press(self, key, until=None, seconds=PATIENCE):
        """A key held 100 ms as a person holds it; then what Orca said until `until` (a
        pattern) is heard among the new texts, or after a quiet second without one."""
        self.heard = len(self.said())
        self.display.run("xdotool", "keydown", key)
        time.sleep(0.1)
        self.display.run("xdotool", "keyup", key)
        self.hear(until, seconds) if until else self.quiet(1)
        print(f"{key}: {self.said()[self.heard:]}")
        return " | ".join(self.said()[self.heard:])

    def quiet(self, seconds):
        """Until Orca has said nothing new for `seconds`."""
        count = -1
        while len(self.said()) != count:
            count = len(self.said())
            time.sleep(seconds)

    def hear(self, pattern, seconds=PATIENCE):
        wait_for(lambda: any(re.search(pattern, t) for t in self.said()[self.heard:]),
                 f"Orca saying /{pattern}/ (said {self.said()[self.heard:]})", seconds)
        print(f"heard /{pattern}/: {self.said()[self.heard:]}")

    def stop(self):
        self.proc.kill()
        self.proc.wait()


def orca_test(binary):
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    with Display() as display:
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             env=display.env, capture_output=True, text=True).stdout.split()
        display.env.update(DBUS_SESSION_BUS_ADDRESS=bus[0], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        wm = subprocess.Popen(["icewm"], env=display.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        orca = None
        try:
            os.makedirs(display.path("config", "Vellucario"))
            with open(display.path("config", "Vellucario", "Vellucario.conf"), "w") as f:
                f.write(f"[Rete]\nAttiva=true\nPorta={port}\nCodice={TOKEN}\n")
            orca = Orca(display)
            program = Program(display, binary).wait_window()
            wait_for(lambda: "Sorteggina di Orvanet - Quillard - ver. 2.0.1 frame." in orca.said(), "Orca reading the window",
                     seconds=60)

            help = orca.press("F1", "Cifre e Invio")
            check(all(part in help for part in ("Estrai Numero: estrae il numero", "F8: Numeri usciti", "Spazio: pausa",
                                                "Esc: respinge la chiamata")), "the help page not read whole")
            orca.press("Escape", "frame|Ambo")
            orca.press("ctrl+l", "Vincitori")
            for _ in range(3):
                if "Salva il resoconto" in orca.press("Tab", "button"):
                    break
            orca.press("Return", "Salva il resoconto dialog")
            orca.press("Escape", "Vincitori dialog")
            orca.press("Escape", "frame")

            # Each box with its choice, at the focus and at a change; a second F10 on the first box.
            check("Sintetizzatore combo box" in orca.press("F10", "Voce del sistema"), "F10 not on the synthesiser")
            orca.quiet(3)  # the list of voices in
            for key, said in (("Tab", "Voce italiana combo box"),
                              ("shift+Tab", "Sintetizzatore combo box")):
                check(said in orca.press(key, "Voce del sistema"), f"{key} in Voce: not {said}")
            orca.press("Down", "eSpeak NG")
            orca.press("Escape", "frame")
            check("eSpeak NG" not in orca.press("F10", "Sintetizzatore combo box"), "an old choice said again")
            orca.press("Escape", "frame")

            # Ctrl+G: a phone's coming heard, the address reached by Tab, a claim heard with its
            # keys and refused with Escape while the dialog stays open.
            orca.press("ctrl+g", "Giocatori in rete")
            orca.heard = len(orca.said())
            phone = Phone(port)
            phone.send({"type": "hello", "codes": ["42-3-u"]})
            orca.hear("Telefoni collegati: 1")
            tabbed = (orca.press("Tab") for _ in range(4))
            check(any("Indirizzo per i telefoni" in t and f"/?t={TOKEN}" in t for t in tabbed), "the address not reached by Tab")
            orca.heard = len(orca.said())
            phone.send({"type": "claim", "prize": 0, "code": "42-3-u", "name": "Anna"})
            orca.hear(r"Ambo chiamato da Anna, cartella 42-3: .*Conferma \(Invio\), Respingi \(Esc\)")
            check("frame" not in orca.press("Escape"), "Escape closed Ctrl+G, not the claim")
            phone.told("respinto dal banco")
            orca.press("Escape", "frame")
            # Over a modal question (Ctrl+Z's) too: heard there, Escape refuses, Enter confirms.
            orca.press("Down")
            orca.press("ctrl+z", "Annulla ultimo numero")
            for key, answer in (("Escape", "respinto dal banco"), ("Return", "non confermata")):
                time.sleep(ClaimPaceSeconds)  # the program's pause between one phone's claims
                orca.heard, phone.received = len(orca.said()), b""
                phone.send({"type": "claim", "prize": 0, "code": "42-3-u", "name": "Anna"})
                orca.hear(r"Ambo chiamato da Anna, cartella 42-3: .*Conferma \(Invio\), Respingi \(Esc\)")
                check("frame" not in orca.press(key), f"{key} answered the question, not the claim")
                phone.told(answer)
            orca.press("Escape", "frame")
            spoken = program.spoken()
            orca.press("Left", "Smorfia sì")
            orca.press("Right", "Scandito sì")
            orca.press("Left", "Smorfia no")
            check(program.spoken() == spoken, f"the switches changed what the caller hears: {program.spoken()}")
        finally:
            if orca:
                orca.stop()
            wm.kill()
            subprocess.run(["kill", bus[1]])


if __name__ == "__main__":
    skip_unless("dbus-daemon", "orca", "icewm")
    main(orca_test)
