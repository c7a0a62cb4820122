#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Players beyond the hall: Debian's mosquitto on the loopback under thousands of phones.

    bench/broker_load.py BUILD_DIR [SUBSCRIBERS]

  latency   mosquitto started here (a TCP listener and a WebSocket one, as a club runs it);
            SUBSCRIBERS MQTT-over-WebSocket clients (5,000 by default), spread over a few
            processes, subscribe to the room's state as the page does; a publisher then sends
            the state DRAWS times, retained at QoS 1 as the program does; each figure runs from
            just before the publish to the moment the last subscriber's socket has it (the
            kernel's receive time, so that the clients' own Python does not count).
  broker    mosquitto's VmRSS with every subscriber connected, its peak, and its CPU time
            over the draws.
  draw      BUILD_DIR/bench/window_bench's BM_DrawCycleBroker: the program's draw cycle with
            [Remoto] off, on (this broker), slow (behind a proxy that delays and throttles)
            and gone (nothing listening).
Prints one line per figure; nothing passes or fails."""
import asyncio, base64, json, os, pathlib, resource, socket, statistics, subprocess, sys, tempfile, time

ROOM = "bench"
TOPIC = f"sorteggina/{ROOM}/stato"
DRAWS = 20
WORKERS = 4
DEADLINE_S = 400
SO_TIMESTAMPNS = 35  # Linux's; Python's socket module does not name it


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def mqtt_string(text):
    data = text.encode()
    return len(data).to_bytes(2, "big") + data


def mqtt_packet(first, body):
    length, rest = b"", len(body)
    while True:
        length += bytes([(rest & 0x7F) | (0x80 if rest > 0x7F else 0)])
        rest >>= 7
        if not rest:
            return bytes([first]) + length + body


def connect_packet(client_id):
    return mqtt_packet(0x10, mqtt_string("MQTT") + bytes([4, 2, 0, 60]) + mqtt_string(client_id))


async def read_packet(read):
    """One MQTT packet (type, flags, body) from a byte reader."""
    first = (await read(1))[0]
    length, shift = 0, 0
    while True:
        byte = (await read(1))[0]
        length += (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            break
    return first >> 4, first & 15, await read(length)


def ws_frame(data):
    """A masked binary WebSocket frame, as a client sends it (short payloads only)."""
    mask = os.urandom(4)
    return bytes([0x82, 0x80 | len(data)]) + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data))


def subscribe(port, name):
    """A subscriber connected, logged in and subscribed, on a socket of its own."""
    for attempt in range(50):
        try:
            sock = socket.create_connection(("127.0.0.1", port), 10)
            break
        except OSError:
            time.sleep(0.2 + attempt * 0.1)
    else:
        raise RuntimeError("no connection")
    key = base64.b64encode(os.urandom(16)).decode()
    sock.sendall((f"GET /mqtt HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\nSec-WebSocket-Protocol: mqtt\r\n\r\n"
                  ).encode())
    head = b""
    while b"\r\n\r\n" not in head:
        head += sock.recv(4096)
    if b" 101 " not in head.split(b"\r\n")[0]:
        raise ConnectionError(head[:80])
    rest = head.split(b"\r\n\r\n", 1)[1]
    sock.sendall(ws_frame(connect_packet(name)) + ws_frame(mqtt_packet(0x82, b"\x00\x01" + mqtt_string(TOPIC) + b"\x00")))
    while len(rest) < 6 + 7:  # CONNACK and SUBACK, each in a frame of its own
        rest += sock.recv(4096)
    sock.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
    sock.setblocking(False)
    return sock


def worker(port, first, count):
    """Prints "ready" once its clients are subscribed, then "DRAW LATEST" for each draw all have:
    LATEST is when the kernel took the last of them in (SO_TIMESTAMPNS, the wall clock), so the
    figure is the broker's and the loopback's, not this Python process's turn on a busy CPU."""
    import selectors, struct
    poller = selectors.EpollSelector()
    for i in range(first, first + count):
        poller.register(subscribe(port, f"bench-{i}"), selectors.EVENT_READ, bytearray())
    print("ready", flush=True)
    arrived = {}
    while True:
        for key, _ in poller.select():
            data, ancillary, _, _ = key.fileobj.recvmsg(65536, socket.CMSG_SPACE(16))
            when = next((struct.unpack("qq", d[:16]) for level, kind, d in ancillary
                         if level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS), None)
            buffer = key.data
            buffer += data
            while len(buffer) >= 4:
                size, start = buffer[1] & 0x7F, 2
                if size == 126:  # the state is below 64 KiB
                    size, start = int.from_bytes(buffer[2:4], "big"), 4
                if len(buffer) < start + size:
                    break
                packet = bytes(buffer[start:start + size])
                del buffer[:start + size]
                if packet and packet[0] >> 4 == 3 and when:
                    draw = int(packet.rsplit(b'"draw": ', 1)[1].split(b",", 1)[0])
                    times = arrived.setdefault(draw, [])
                    times.append(when[0] + when[1] / 1e9)
                    if len(times) == count:
                        print(draw, max(times), flush=True)


def cpu_s(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def memory_mib(pid, field):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith(field + ":"):
            return int(line.split()[1]) / 1024
    return 0.0


def start_broker(folder, tcp, ws):
    config = folder / "mosquitto.conf"
    config.write_text(("user root\n" if os.getuid() == 0 else "") + "allow_anonymous true\nmax_connections -1\n"
                      f"listener {tcp} 127.0.0.1\nlistener {ws} 127.0.0.1\nprotocol websockets\nsocket_domain ipv4\n")
    broker = subprocess.Popen(["mosquitto", "-c", str(config)], stdout=subprocess.DEVNULL,
                              stderr=open(folder / "mosquitto.log", "w"))
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", tcp), 1).close()
            return broker
        except OSError:
            time.sleep(0.1)
    raise RuntimeError("mosquitto did not start")


async def fan_out(folder, count):
    tcp, ws = free_port(), free_port()
    broker = start_broker(folder, tcp, ws)
    share = -(-count // WORKERS)
    workers = [await asyncio.create_subprocess_exec(sys.executable, __file__, "--worker", str(ws), str(i * share),
                                                    str(min(share, count - i * share)), stdout=subprocess.PIPE)
               for i in range(WORKERS) if i * share < count]
    try:
        for w in workers:
            line = await w.stdout.readline()
            if line.strip() != b"ready":
                raise RuntimeError(f"a worker did not get its subscribers in: {line!r}")
        await asyncio.sleep(2)
        connected = memory_mib(broker.pid, "VmRSS")
        reader, writer = await asyncio.open_connection("127.0.0.1", tcp)
        writer.write(connect_packet("bench-publisher"))
        await read_packet(reader.readexactly)
        cpu_before, started = cpu_s(broker.pid), time.monotonic()
        late = []
        for draw in range(1, DRAWS + 1):
            state = json.dumps({"type": "state", "draw": draw, "drawn": list(range(1, draw + 1)),
                                "meaning": "x" * 20, "gone": [], "inPlay": 0, "banner": "", "tombola": False})
            sent = time.time()
            writer.write(mqtt_packet(0x33, mqtt_string(TOPIC) + draw.to_bytes(2, "big") + state.encode()))
            await writer.drain()
            times = []
            for w in workers:
                number, when = (await w.stdout.readline()).split()
                assert int(number) == draw
                times.append(float(when))
            late.append(max(times) - sent)
            await asyncio.sleep(0.5)
        cpu = cpu_s(broker.pid) - cpu_before
        busy = cpu / (time.monotonic() - started) * 100
        return late, connected, memory_mib(broker.pid, "VmHWM"), cpu, busy
    finally:
        for w in workers:
            if w.returncode is None:
                w.kill()
            await w.wait()
        broker.terminate()
        broker.wait()


async def slow_proxy(listen, target):
    """Forwards to the broker with 300 ms of delay, at most 1 KiB each 100 ms either way."""
    async def pipe(reader, writer):
        try:
            while data := await reader.read(1024):
                await asyncio.sleep(0.3)
                writer.write(data)
                await writer.drain()
                await asyncio.sleep(0.1)
        except (ConnectionError, asyncio.CancelledError):
            pass
        writer.close()

    async def handle(reader, writer):
        up_reader, up_writer = await asyncio.open_connection("127.0.0.1", target)
        await asyncio.gather(pipe(reader, up_writer), pipe(up_reader, writer))
    return await asyncio.start_server(handle, "127.0.0.1", listen)


async def draw_cycles(build, folder):
    tcp, ws = free_port(), free_port()
    broker = start_broker(folder, tcp, ws)
    slow = free_port()
    proxy = await slow_proxy(slow, tcp)
    results = {}
    try:
        for mode, address in (("off", ""), ("on", f"mqtt://127.0.0.1:{tcp}"), ("slow", f"mqtt://127.0.0.1:{slow}"),
                              ("gone", f"mqtt://127.0.0.1:{free_port()}")):
            out = folder / f"draw_{mode}.json"
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SORTEGGINA_BENCH_BROKER=address or "off")
            bench = await asyncio.create_subprocess_exec(
                str(build / "bench" / "window_bench"), "--benchmark_filter=BM_DrawCycleBroker",
                f"--benchmark_out={out}", "--benchmark_out_format=json", env=env, stdout=subprocess.DEVNULL)
            await bench.wait()
            found = json.loads(out.read_text())["benchmarks"]
            results[mode] = found[0] if found else None
    finally:
        proxy.close()
        broker.terminate()
        broker.wait()
    return results


def ms(seconds):
    return f"{seconds * 1000:.0f} ms"


async def main():
    build = pathlib.Path(sys.argv[1]).resolve()
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, min(hard, count + 1000)), hard))
    with tempfile.TemporaryDirectory() as folder:
        late, connected, peak, cpu, busy = await asyncio.wait_for(fan_out(pathlib.Path(folder), count), DEADLINE_S)
        late.sort()
        p99 = late[min(len(late) - 1, int(len(late) * 0.99))]
        print(f"Broker: publish to the last of {count} WebSocket subscribers p50 {ms(statistics.median(late))}, "
              f"p99 {ms(p99)} (goal p99 <= 500 ms; {DRAWS} draws, {WORKERS} processes)")
        print(f"Broker: mosquitto {connected:.0f} MiB with {count} subscribers, peak {peak:.0f} MiB; "
              f"CPU {cpu:.1f} s over the draws ({busy:.0f} % of one core)")
        cycles = await asyncio.wait_for(draw_cycles(build, pathlib.Path(folder)), DEADLINE_S)
    parts = []
    for mode, cycle in cycles.items():
        if cycle and "error_message" not in cycle:
            parts.append(f"{mode} median {cycle.get('median_us', cycle['real_time']):.0f} us "
                         f"p99 {cycle.get('p99_us', 0):.0f} us")
        else:
            parts.append(f"{mode} not measured ({cycle and cycle.get('error_message')})")
    print("Broker: draw cycle " + "; ".join(parts) + " (goal: the same in every mode)")


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--worker":
        worker(int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]))
    else:
        asyncio.run(main())
