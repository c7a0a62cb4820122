# SPDX-License-Identifier: GPL-3.0-or-later
"""A club evening played again: 40 phones over WebSockets (each from its own loopback address),
three games with automatic calling, the caller answering every claim with Enter."""
import base64, json, os, socket, struct, sys, threading, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Display, Program, wait_for
from phones import TOKEN, free_port
from three_phones import code_of

PRIZES = ["Ambo", "Terno", "Quaterna", "Cinquina", "Tombola"]
COUNTS = [2, 3, 4, 5, 15]


def grid_rows(message):
    return {c["code"]: c["rows"] for c in message["cartelle"]}


class Phone(threading.Thread):
    def __init__(self, n, port, codes):
        super().__init__(daemon=True)
        self.n, self.port, self.codes, self.name = n, port, codes, f"Giocatore{n}"
        self.sent, self.acks, self.refusals, self.verdicts = 0, 0, [], []
        self.claimed, self.state, self.rows, self.lock = set(), {}, {}, threading.Lock()
        self.sock = socket.socket()
        self.sock.bind((f"127.0.0.{10 + n}", 0))
        self.sock.connect(("127.0.0.1", port))
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /ws?t={TOKEN} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.sock.recv(1)
        assert b" 101 " in head, head
        self.send({"type": "hello", "codes": codes, "phone": f"telefono-{n}", "name": self.name})

    def send(self, obj):
        data = json.dumps(obj).encode()
        mask = os.urandom(4)
        header = bytes([0x81, 0x80 | len(data)]) if len(data) < 126 else bytes([0x81, 0xFE]) + struct.pack(">H", len(data))
        with self.lock:
            self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def read_exact(self, n):
        out = b""
        while len(out) < n:
            chunk = self.sock.recv(n - len(out))
            if not chunk:
                raise EOFError
            out += chunk
        return out

    def run(self):
        try:
            while True:
                b0, b1 = self.read_exact(2)
                size = b1 & 0x7F
                if size == 126:
                    size = struct.unpack(">H", self.read_exact(2))[0]
                elif size == 127:
                    size = struct.unpack(">Q", self.read_exact(8))[0]
                payload = self.read_exact(size)
                if b0 & 0x0F == 0x9:  # ping: pong
                    with self.lock:
                        mask = os.urandom(4)
                        self.sock.sendall(bytes([0x8A, 0x80 | len(payload)]) + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))
                    continue
                if b0 & 0x0F != 0x1:
                    continue
                self.take(json.loads(payload))
        except (EOFError, OSError):
            pass

    def take(self, m):
        if m["type"] == "cartelle":
            self.rows = grid_rows(m)
        elif m["type"] == "state":
            if m.get("game") != self.state.get("game"):
                self.claimed = set()
            self.state = m
            self.maybe_claim()
        elif m["type"] == "verdict":
            if m["text"].startswith("Chiamata inviata"):
                self.acks += 1
            else:
                self.verdicts.append((time.monotonic(), m["text"]))
        elif m["type"] == "refusal":
            self.refusals.append(m["text"])

    def maybe_claim(self):
        out = set(self.state.get("drawn", []))
        prize = self.state.get("inPlay", -1)
        if prize < 0:
            return
        for code, rows in self.rows.items():
            inrow = [sum(1 for x in r if x > 0 and x in out) for r in rows]
            held = sum(inrow) == 15 if prize == 4 else max(inrow) >= COUNTS[prize]
            if held and (code, prize) not in self.claimed:
                self.claimed.add((code, prize))
                self.sent += 1
                self.send({"type": "claim", "prize": prize, "code": code, "name": self.name})


def evening(binary):
    port = free_port()
    with Display("1920x1080") as display:
        conf = display.path("config", "Vellucario")
        os.makedirs(conf)
        with open(os.path.join(conf, "Vellucario.conf"), "w") as f:
            f.write(f"[Rete]\nAttiva=true\nPorta={port}\nCodice={TOKEN}\n[Estrazione]\nSecondi=3\n")
        program = Program(display, binary).wait_window().activate()
        for k in range(6):
            program.click((210 if k % 2 == 0 else 990) / 15 + 25, (5790 + 270 * (k // 2)) / 15 + 8)
        time.sleep(2)
        phones = []
        for n in range(40):
            codes = [code_of(1 + (3 * n + j) // 6, 1 + (3 * n + j) % 6) for j in range(3)]
            if n == 39:
                codes[0] = code_of(1, 1)  # the cartella of phone 0, sold twice
            phones.append(Phone(n, port, codes))
        for p in phones:
            p.start()
        program.key("ctrl+t")
        answered, held_s, games, drawn_while_held = 0, 0.0, [], 0
        for game in range(3):
            start = time.monotonic()
            while True:
                notices = [t for t in program.spoken() if "chiamat" in t and " da Giocatore" in t]
                if len(notices) > answered:
                    t0 = time.monotonic()
                    before = len(phones[0].state.get("drawn", []))
                    time.sleep(1.0)  # the caller reads the notice
                    drawn_while_held += len(phones[0].state.get("drawn", [])) - before
                    program.key("Return", gap=0.3)
                    answered += 1
                    held_s += time.monotonic() - t0
                    continue
                if phones[0].state.get("tombola") and time.monotonic() - start > 2:
                    time.sleep(3)
                    if len([t for t in program.spoken() if "chiamat" in t and " da Giocatore" in t]) == answered:
                        break
                    continue
                program.key("Down", gap=0.4)
            games.append((len(phones[0].state["drawn"]), phones[0].state["winners"], time.monotonic() - start))
            if game < 2:
                program.key("F12", gap=1.5)
        time.sleep(2)
        notices = [t for t in program.spoken() if "chiamat" in t and " da Giocatore" in t]
        print(f"claims sent {sum(p.sent for p in phones)}, 'inviata' {sum(p.acks for p in phones)}, "
              f"refused {sum(len(p.refusals) for p in phones)} {set(r for p in phones for r in p.refusals)}")
        print(f"notices shown/said {len(notices)}, answered with Enter {answered}, held {held_s:.1f} s, numbers drawn while a claim was shown {drawn_while_held}")
        kinds = {}
        for p in phones:
            for _, v in p.verdicts:
                k = ("confermato" if "confermato" in v else "già assegnato" if "già assegnato" in v else
                     "non confermata" if "non confermata" in v else v[:60])
                kinds[k] = kinds.get(k, 0) + 1
        print("verdicts on phones:", kinds)
        print("phones with a claim left unanswered:", sum(1 for p in phones if p.sent > len(p.verdicts)))
        print("duplicate notices:", [t for t in notices if "anche sul telefono" in t][:2])
        for g, (count, winners, secs) in enumerate(games):
            print(f"game {g + 1}: {count} numbers in {secs:.0f} s, winners {winners}")


if __name__ == "__main__":
    evening(sys.argv[1])
