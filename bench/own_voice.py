# SPDX-License-Identifier: GPL-3.0-or-later
""""La mia voce" heard: Down to the first sound with the numbers played from recorded takes,
beside `spd-say` on the same sink. The takes are the synthesiser's own speech of a few
numbers and of the phrase, recorded from the bench's sink, trimmed and kept as FLAC at 48 kHz
as the recording dialog keeps them; every number uses one of them. Their mean size, times 91,
is the size of a whole recorded voice."""

import array
import ctypes
import math
import os
import pathlib
import re
import shutil
import subprocess
import time

import heard

RATE = 48000
TEXTS = ["è uscito il numero", "17", "45", "77", "88", "90"]
LEAD_S, TAIL_S = 0.01, 0.04


class _Info(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


def write_flac(path, samples):
    sf = ctypes.CDLL("libsndfile.so.1")
    sf.sf_open.restype = ctypes.c_void_p
    info = _Info(0, RATE, 1, 0x170002, 0, 0)   # FLAC, 16-bit
    handle = sf.sf_open(str(path).encode(), 0x20, ctypes.byref(info))
    if not handle:
        raise RuntimeError(f"cannot write {path}")
    data = (ctypes.c_short * len(samples))(*samples)
    sf.sf_writef_short(ctypes.c_void_p(handle), data, ctypes.c_int64(len(samples)))
    sf.sf_close(ctypes.c_void_p(handle))


def kept(samples):
    """Trimmed to the voice with its margins and brought to -20 dBFS, as a take is kept."""
    window = RATE // 100
    levels = [sum(s * s for s in samples[at:at + window]) / window / 32768 ** 2 + 1e-20
              for at in range(0, len(samples) - window, window)]
    threshold = max(10 ** -4.5, max(levels) / 1000)
    voiced = [i for i, level in enumerate(levels) if level >= threshold]
    begin = max(0, voiced[0] * window - int(LEAD_S * RATE))
    end = min(len(samples), (voiced[-1] + 1) * window + int(TAIL_S * RATE))
    loudness = sum(levels[voiced[0]:voiced[-1] + 1]) / (voiced[-1] + 1 - voiced[0])
    gain = min(10 ** (-1.0) / math.sqrt(loudness), 0.89 * 32767 / max(abs(s) for s in samples[begin:end]))
    return [int(max(-32767, min(32767, s * gain))) for s in samples[begin:end]]


def record_takes(session, env, folder):
    """The synthesiser's speech of TEXTS from the sink's monitor, kept as takes; their sizes."""
    folder.mkdir(parents=True)
    sizes, takes = [], []
    for text in TEXTS:
        raw = folder / "take.raw"
        recorder = subprocess.Popen(["parecord", f"--device={heard.SINK}.monitor", "--raw", "--format=s16le",
                                     f"--rate={RATE}", "--channels=1", str(raw)], env=session.env)
        time.sleep(0.3)
        subprocess.run(["spd-say", "-w", "-l", "it", text], env=env, capture_output=True, timeout=20)
        time.sleep(0.3)
        recorder.terminate()
        recorder.wait()
        take = folder / f"{len(takes)}.take.flac"
        write_flac(take, kept(array.array("h", raw.read_bytes())))
        raw.unlink()
        takes.append(take)
        sizes.append(take.stat().st_size)
    shutil.copy(takes[0], folder / "numero.flac")
    for number in range(1, 91):
        shutil.copy(takes[1 + number % (len(takes) - 1)], folder / f"{number}.flac")
    for take in takes:
        take.unlink()
    return sizes


def lead_silence_s(path):
    """The seconds of a take before its first sample the recorder counts as sound."""
    sf = ctypes.CDLL("libsndfile.so.1")
    sf.sf_open.restype = ctypes.c_void_p
    info = _Info()
    handle = sf.sf_open(str(path).encode(), 0x10, ctypes.byref(info))
    if not handle:
        raise RuntimeError(f"cannot read {path}")
    samples = (ctypes.c_short * info.frames)()
    sf.sf_readf_short(ctypes.c_void_p(handle), samples, ctypes.c_int64(info.frames))
    sf.sf_close(ctypes.c_void_p(handle))
    return next((i for i, s in enumerate(samples) if abs(s) >= heard.LOUD), len(samples)) / RATE


def program_stamps(messages, since):
    """The moments the program logged for its latest press: the X server's press, the window
    getting it, the player called, the clip written, the server's first sample due."""
    deadline = time.monotonic() + 1
    while True:
        text = os.pread(messages.fileno(), 1 << 20, since).decode(errors="replace")
        if "first sample due" in text or time.monotonic() > deadline:
            break
        time.sleep(0.01)
    press = re.search(r"press (\d+) at ([\d.]+)", text)
    play = re.search(r"play at ([\d.]+) written ([\d.]+) first sample due ([\d.]+)", text)
    if not press or not play:
        return None
    return {"x_ms": int(press.group(1)), "window": float(press.group(2)),
            "play": float(play.group(1)), "written": float(play.group(2)), "due": float(play.group(3))}


def x_moment(x_ms, near):
    """The X server's millisecond clock (CLOCK_MONOTONIC, 32 bits) as a monotonic moment near `near`."""
    wrap = 1 << 32
    base = int(near * 1000) - int(near * 1000) % wrap
    moment = (base + x_ms) / 1000
    return moment if abs(moment - near) < wrap / 2000 else moment + (wrap / 1000 if moment < near else -wrap / 1000)


def server_alone(session, program_dir, recorder, draws):
    """A clip loud from its first sample written to a stream kept open, to the first sound."""
    probe = subprocess.Popen([str(program_dir / "bench/server_probe")], env=session.env, text=True,
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    session.pids.append(probe.pid)
    try:
        delays = []
        for _ in range(draws):
            recorder.wait_quiet()
            probe.stdin.write("play\n")
            probe.stdin.flush()
            written = float(probe.stdout.readline())
            delays.append(recorder.first_sound_after(written) - written)
        recorder.wait_quiet()
    finally:
        probe.stdin.close()
        probe.wait(timeout=10)
        session.pids.remove(probe.pid)
    return delays


def measure(session, program, draws):
    """Down to sound with "La mia voce" and where its time goes, spd-say's own and the sound
    server's alone, `draws` times each; the takes' sizes and the phrase's silence before its
    first sound."""
    env = session.place()
    env["QT_LOGGING_RULES"] = "sorteggina.keys.debug=true\nsorteggina.player.debug=true"
    data = pathlib.Path(env["HOME"]).parent / "data"
    env["XDG_DATA_HOME"] = str(data)
    settings = pathlib.Path(env["XDG_CONFIG_HOME"]) / "Vellucario"
    settings.mkdir(parents=True)
    (settings / "Vellucario.conf").write_text("[Voce]\nRegistrata=true\n")
    recorder = heard.Recorder(session.env)
    session.pids.append(recorder.pid)
    try:
        subprocess.run(["spd-say", "-w", "-l", "it", "pronto"], env=env, capture_output=True, timeout=20)
        sizes = record_takes(session, env, data / "Vellucario" / "voce")
        lead = lead_silence_s(data / "Vellucario" / "voce" / "numero.flac")
        started = session.start([program], env)
        heard.focus(session, started)
        time.sleep(1.0)   # the takes are read on a thread of their own
        delays, stages, floor = [], [], []
        for _ in range(draws):
            recorder.wait_quiet()
            since = os.fstat(started.messages.fileno()).st_size
            pressed = heard.press_down(session)
            sound = recorder.first_sound_after(pressed)
            delays.append(sound - pressed)
            stamps = program_stamps(started.messages, since)
            if stamps:
                stamps["x"] = x_moment(stamps.pop("x_ms"), pressed)
                stages.append({k: v - pressed for k, v in stamps.items()} | {"sound": sound - pressed})
        for _ in range(draws):
            recorder.wait_quiet()
            launched = time.monotonic()
            subprocess.run(["spd-say", "-l", "it", "42"], env=env, capture_output=True, timeout=10)
            floor.append(recorder.first_sound_after(launched) - launched)
        recorder.wait_quiet()
        session.stop(started)
        session.end_speech_server(env)
        server = server_alone(session, pathlib.Path(program).parent, recorder, draws)
    finally:
        recorder.stop()
        session.pids.remove(recorder.pid)
    return {"key_s": delays, "floor_s": floor, "server_s": server, "stages": stages,
            "lead_s": lead, "take_bytes": sizes}
