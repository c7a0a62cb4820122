#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The phones' server attacked on the loopback: 1100 connections from one address that say one byte,
# phones that flood hellos or never read. Another phone is served every time; every attacker is dropped.
# Usage: attack_check.py SERVE_PAGE
import contextlib, resource, socket, subprocess, sys, time

resource.setrlimit(resource.RLIMIT_NOFILE, (4096, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
server = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
port = int(server.stdout.readline())
WS = b'GET /ws?t=c0ffee HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n' \
     b'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n'
HELLO = b'\x81\xa3\0\0\0\0{"type":"hello","codes":["42-3-u"]}'  # masked with zeros, as a frame must be


def connect(address, data, hellos=0, buffer=1 << 16):  # the hellos follow once the socket is open
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, buffer)
    s.settimeout(2), s.bind((address, 0)), s.connect(('127.0.0.1', port)), s.sendall(data)
    if hellos:
        s.recv(4096), s.sendall(HELLO * hellos)
    return s


def held(address):  # connections from address that the server still holds open
    peer = socket.inet_aton(address)[::-1].hex().upper()
    rows = [line.split()[1:4] for name in ('tcp', 'tcp6') for line in open(f'/proc/net/{name}').readlines()[1:]]
    return sum(ours.endswith(f':{port:04X}') and theirs.split(':')[0].endswith(peer) and st == '01'
               for ours, theirs, st in rows)


def dropped(address):  # whether the server lets go of address within 10 s
    return not all(held(address) and not time.sleep(0.2) for _ in range(50))


def phone():  # a page load and a WebSocket from an address of its own
    with contextlib.suppress(OSError), connect('127.0.0.3', b'GET /?t=c0ffee HTTP/1.1\r\nHost: x\r\n\r\n') as page:
        return page.recv(12)[9:] + connect('127.0.0.3', WS).recv(12)[9:] == b'200101'


attackers = []
for _ in range(1100):
    with contextlib.suppress(OSError):
        attackers.append(connect('127.0.0.2', b'G'))
tries, holding = [time.sleep(0.1) or phone() for _ in range(20)], held('127.0.0.2')
checks = {f'phone {tries.count(True)}/20 during the attack, {holding} connections held': all(tries),
          'the attackers closed within 10 s': dropped('127.0.0.2')}
sleeper = connect('127.0.0.6', WS, 1, 4096)  # never reads while the game goes on
flooder, greedy = connect('127.0.0.4', WS, 40), connect('127.0.0.5', WS, 20)
time.sleep(2.5)
answers = greedy.recv(1 << 20).count(b'"type":"cartelle"')
checks |= {'40 quick hellos dropped': dropped('127.0.0.4'), f'20 quick hellos answered {answers} times': answers <= 2}
server.stdin.write('draw' + ' 5' * 3000 + '\n'), server.stdin.flush()  # 9 MB of answers
checks |= {'a phone that never reads dropped': dropped('127.0.0.6'), 'a phone answered afterwards': phone()}
print('\n'.join(f'{"ok" if ok else "FAILED"}: {what}' for what, ok in checks.items()))
server.kill()
sys.exit(not all(checks.values()))
