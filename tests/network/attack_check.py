#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The phones' server attacked on the loopback: slow and silent connections from one address,
# then phones with the code that flood hellos and never read. A phone elsewhere must load
# the page and open its socket every time, and the server's memory must stay put.
# Usage: attack_check.py SERVE_PAGE
import base64, json, multiprocessing, os, resource, socket, subprocess, sys, threading, time

resource.setrlimit(resource.RLIMIT_NOFILE, (4096, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
server = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
port = int(server.stdout.readline())
rss = lambda: int(open(f'/proc/{server.pid}/statm').read().split()[1]) * os.sysconf('SC_PAGE_SIZE') >> 20


def connect(address):
    s = socket.socket()
    s.settimeout(1)
    s.bind((address, 0))
    s.connect(('127.0.0.1', port))
    return s


def ws_frame(text):  # one masked text frame, as a browser sends it (mask of zeros)
    data = text.encode()
    size = bytes([0x80 | len(data)]) if len(data) < 126 else bytes([0xfe]) + len(data).to_bytes(2, 'big')
    return b'\x81' + size + b'\0\0\0\0' + data


def honest(path, upgrade=False):
    """The status of one request from a phone of its own, or 0 when refused."""
    try:
        with connect('127.0.0.3') as s:
            key = base64.b64encode(os.urandom(16)).decode()
            extra = f'Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n' if upgrade else ''
            s.sendall(f'GET {path} HTTP/1.1\r\nHost: x\r\n{extra}\r\n'.encode())
            status = int(s.recv(4096).split()[1])
            if upgrade and status == 101:  # answered with its cartelle
                s.sendall(ws_frame(json.dumps({'type': 'hello', 'codes': ['42-3-u']})))
                status = 101 if b'cartelle' in s.recv(65536) else -1
            return status
    except (OSError, IndexError, ValueError):
        return 0


def try_phone(seconds):
    tries = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        tries += [honest('/?t=c0ffee') == 200, honest('/ws?t=c0ffee', True) == 101]
        time.sleep(0.2)
    return sum(tries), len(tries)


def attack(kind, seconds, held):
    """Keeps 1100 connections from 127.0.0.2 trickling or silent, reopening those closed."""
    open_ = []
    end = time.monotonic() + seconds
    while time.monotonic() < end and not done.is_set():
        while len(open_) < 1100 and time.monotonic() < end:
            try:
                s = connect('127.0.0.2')
                s.sendall(b'G' if kind == 'byte' else b'GET / HTTP/1.1\r\n')
                open_.append(s)
            except OSError:
                break
        for s in list(open_):
            try:
                s.setblocking(False)
                if s.recv(1) == b'':
                    raise OSError
                if kind == 'trickle':
                    s.sendall(b'X-a: b\r\n')
            except BlockingIOError:
                pass
            except OSError:
                open_.remove(s), s.close()
        held.append(len(open_))
        time.sleep(1)
    [s.close() for s in open_]


failures, done = [], threading.Event()
try:
    for kind in ('byte', 'trickle'):
        held = []
        attacker = threading.Thread(target=attack, args=(kind, 30, held))
        attacker.start()
        while attacker.is_alive() and (len(held) < 3 or (held[-1] > held[-2] and held[-1] < 1100)):  # until it holds all it can
            time.sleep(0.5)
        ok, tries = try_phone(5)
        done.set(), attacker.join(), done.clear()
        after = try_phone(0.5)
        print(f'{kind}: at most {max(held)} connections held, phone {ok}/{tries} during, {after[0]}/{after[1]} after')
        if ok < tries or after[0] < after[1]:
            failures.append(f'{kind}: the phone was locked out')

    start = rss()
    flood_end = time.monotonic() + 10
    def flood():
        with connect('127.0.0.4') as s:
            s.sendall(b'GET /ws?t=c0ffee HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n'
                      b'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n')
            s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            hello = ws_frame(json.dumps({'type': 'hello', 'codes': ['42-3-u']})) * 100
            try:
                while time.monotonic() < flood_end:
                    s.sendall(hello)
            except OSError:
                pass
    floods = [multiprocessing.Process(target=flood) for _ in range(8)]
    [f.start() for f in floods]
    ok, tries = try_phone(8)
    peak = rss()
    [f.join() for f in floods]
    print(f'hello flood: {start} MiB before, {peak} MiB during, {rss()} MiB after, phone {ok}/{tries}')
    if peak > start + 20 or ok < tries:
        failures.append('hello flood: memory grew or the phone was not answered')
finally:
    server.kill()
print('\n'.join(failures) or 'attack_check: ok')
sys.exit(1 if failures else 0)
