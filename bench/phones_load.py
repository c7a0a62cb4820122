#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""500 players' phones on the loopback against the real program, bounded in count and time.

    bench/phones_load.py BUILD_DIR [PHONES]

  latency   the program on a private X server (tests/e2e/harness.py) with [Rete] on; PHONES
            WebSocket clients (python3-websockets) say hello, then Down is pressed DRAWS times
            with xdotool; each figure is from just before xdotool starts to the moment the
            last phone has the new state (so it includes xdotool's own start).
  memory    VmRSS with the server on and no phone, then with every phone connected.
  draw      BUILD_DIR/bench/window_bench's BM_DrawCyclePhones: the draw cycle on the GUI thread
            with as many phones connected to the window's own server, draining what it sends.
Prints one line per figure; nothing passes or fails."""
import asyncio, json, os, pathlib, signal, socket, statistics, subprocess, sys, time

sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import websockets  # noqa: E402
from harness import Display, Program, wait_for  # noqa: E402

TOKEN = "0123456789abcdef0123456789abcdef"
DRAWS = 20
DEADLINE_S = 240


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def rss_kib(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


class Phones:
    """The clients: each keeps the time its count of drawn numbers last grew."""

    def __init__(self, port, count):
        self.url, self.count = f"ws://127.0.0.1:{port}/ws?t={TOKEN}", count
        self.drawn = [0] * count
        self.arrived = [0.0] * count
        self.sockets = []

    async def one(self, index):
        for _ in range(100):
            try:
                ws = await websockets.connect(self.url, ping_interval=None, max_size=2**20, open_timeout=20)
                break
            except (OSError, asyncio.TimeoutError, websockets.exceptions.InvalidHandshake):
                await asyncio.sleep(0.2)
        else:
            raise RuntimeError("no connection")
        self.sockets.append(ws)
        await ws.send(json.dumps({"type": "hello", "codes": []}))
        async for text in ws:
            message = json.loads(text)
            if message.get("type") == "state" and len(message["drawn"]) > self.drawn[index]:
                self.drawn[index] = len(message["drawn"])
                self.arrived[index] = time.monotonic()

    def start(self):
        return [asyncio.create_task(self.one(i)) for i in range(self.count)]

    async def close(self, tasks):
        for ws in self.sockets:
            await ws.close()
        for task in tasks:
            task.cancel()


async def until(predicate, seconds):
    deadline = time.monotonic() + seconds
    while not predicate():
        if time.monotonic() > deadline:
            raise TimeoutError
        await asyncio.sleep(0.002)


async def whole_program(build, count):
    port = free_port()
    with Display("1920x1080") as display:
        os.makedirs(display.path("config", "Vellucario"))
        with open(display.path("config", "Vellucario", "Vellucario.conf"), "w") as f:
            f.write(f"[Rete]\nAttiva=true\nPorta={port}\nCodice={TOKEN}\n")
        program = Program(display, str(build / "sorteggina")).wait_window().activate()
        await asyncio.sleep(3)
        pid = program.proc.pid
        alone = rss_kib(pid)
        phones = Phones(port, count)
        tasks = phones.start()
        await until(lambda: len(phones.sockets) == count and min(phones.drawn) == 0, 60)
        await asyncio.sleep(3)
        crowded = rss_kib(pid)
        late, first = [], []
        for draw in range(1, DRAWS + 1):
            pressed = time.monotonic()
            key = await asyncio.create_subprocess_exec("xdotool", "key", "Down", env=display.env)
            await key.wait()
            await until(lambda: min(phones.drawn) >= draw, 10)
            late.append(max(phones.arrived) - pressed)
            first.append(min(phones.arrived) - pressed)
            await asyncio.sleep(0.3)
        await phones.close(tasks)
        return late, first, alone, crowded


async def drain(port, count, bench):
    phones = Phones(port, count)
    tasks = phones.start()
    while bench.returncode is None:
        await asyncio.sleep(0.1)
    await phones.close(tasks)


async def draw_cycle(build, count):
    port = free_port()
    out = build / "bench-results" / "phones_draw.json"
    out.parent.mkdir(exist_ok=True)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SORTEGGINA_BENCH_PORT=str(port),
               SORTEGGINA_BENCH_PHONES=str(count))
    bench = await asyncio.create_subprocess_exec(
        str(build / "bench" / "window_bench"), "--benchmark_filter=BM_DrawCyclePhones",
        f"--benchmark_out={out}", "--benchmark_out_format=json", env=env, stdout=subprocess.DEVNULL)
    waiting = asyncio.create_task(bench.wait())
    await asyncio.gather(drain(port, count, bench), waiting)
    result = json.loads(out.read_text())["benchmarks"]
    return result[0] if result else None


def ms(seconds):
    return f"{seconds * 1000:.1f} ms"


async def main():
    build = pathlib.Path(sys.argv[1]).resolve()
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 500
    late, first, alone, crowded = await asyncio.wait_for(whole_program(build, count), DEADLINE_S)
    late.sort()
    p99 = late[min(len(late) - 1, int(len(late) * 0.99))]
    print(f"Phones: draw to the last of {count} phones p50 {ms(statistics.median(late))}, p99 {ms(p99)} "
          f"(goal p99 <= 250 ms; {DRAWS} draws); to the first phone p50 {ms(statistics.median(first))}")
    print(f"Phones: memory {alone / 1024:.1f} MiB with none, {crowded / 1024:.1f} MiB with {count}: "
          f"+{(crowded - alone) / 1024:.1f} MiB (goal <= +40 MiB)")
    cycle = await asyncio.wait_for(draw_cycle(build, count), DEADLINE_S)
    if cycle and "error_message" not in cycle:
        print(f"Phones: draw cycle with {count} connected median {cycle.get('median_us', cycle['real_time']):.0f} us, "
              f"p99 {cycle.get('p99_us', 0):.0f} us (goal <= 1 ms)")
    else:
        print(f"Phones: draw cycle not measured: {cycle}")


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    asyncio.run(main())
