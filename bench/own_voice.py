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


def measure(session, program, draws):
    """Down to sound with "La mia voce", and spd-say's own, `draws` times each; the takes' sizes."""
    env = session.place()
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
        started = session.start([program], env)
        heard.focus(session, started)
        time.sleep(1.0)   # the takes are read on a thread of their own
        delays, floor = [], []
        for _ in range(draws):
            recorder.wait_quiet()
            pressed = heard.press_down(session)
            delays.append(recorder.first_sound_after(pressed) - pressed)
        for _ in range(draws):
            recorder.wait_quiet()
            launched = time.monotonic()
            subprocess.run(["spd-say", "-l", "it", "42"], env=env, capture_output=True, timeout=10)
            floor.append(recorder.first_sound_after(launched) - launched)
        recorder.wait_quiet()
        session.stop(started)
        session.end_speech_server(env)
    finally:
        recorder.stop()
        session.pids.remove(recorder.pid)
    return {"key_s": delays, "floor_s": floor, "take_bytes": sizes}
