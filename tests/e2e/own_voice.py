# SPDX-License-Identifier: GPL-3.0-or-later
"""The family's own voice, with no microphone and no sound card: a private PulseAudio with a
null sink for the speakers and, as the default microphone, a source remapped from a second
null sink's monitor. A take is recorded in "Registra la voce…" from a tone burst played into
that sink between silences; the file kept is trimmed to the burst and at the target loudness;
with "La mia voce" on, a draw plays it into the speakers at that loudness."""
import array, ctypes, math, os, shutil, subprocess, time, wave
from harness import Display, Program, check, main, skip_unless, wait_for

RATE = 48000
LEAD_S, BURST_S, TAIL_S = 0.6, 0.5, 0.7
TARGET_DB, MARGINS_S = -20.0, 0.01 + 0.04
PHRASE_S = 4.0


def burst_wav(path):
    """Silence, a voice-like tone (220 Hz and its harmonics, 15 ms fades) at about -14 dBFS, silence."""
    samples = array.array("h", bytes(2 * int(RATE * LEAD_S)))
    count = int(RATE * BURST_S)
    for i in range(count):
        fade = min(1.0, i / (0.015 * RATE), (count - i) / (0.015 * RATE))
        t = i / RATE
        value = sum(math.sin(2 * math.pi * 220 * k * t) / k for k in (1, 2, 3))
        samples.append(int(6000 * fade * value))
    samples.extend(bytes(2 * int(RATE * TAIL_S)))
    with wave.open(path, "wb") as w:
        w.setnchannels(1), w.setsampwidth(2), w.setframerate(RATE)
        w.writeframes(samples.tobytes())


class Info(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


def write_tone_flac(path, seconds):
    """A steady 220 Hz tone at -20 dBFS RMS, as a 16-bit FLAC (libsndfile)."""
    sf = ctypes.CDLL("libsndfile.so.1")
    sf.sf_open.restype = ctypes.c_void_p
    count = int(RATE * seconds)
    data = (ctypes.c_short * count)(*(int(4634 * math.sin(2 * math.pi * 220 * i / RATE)) for i in range(count)))
    handle = sf.sf_open(path.encode(), 0x20, ctypes.byref(Info(0, RATE, 1, 0x170002, 0, 0)))
    sf.sf_writef_short(ctypes.c_void_p(handle), data, ctypes.c_int64(count))
    sf.sf_close(ctypes.c_void_p(handle))


def read_flac(path):
    """(rate, samples) through libsndfile, as the program reads its takes."""
    sf = ctypes.CDLL("libsndfile.so.1")
    sf.sf_open.restype = ctypes.c_void_p
    info = Info()
    handle = sf.sf_open(path.encode(), 0x10, ctypes.byref(info))
    check(handle and info.channels == 1, f"{path} does not read as a mono recording")
    data = (ctypes.c_short * info.frames)()
    sf.sf_readf_short(ctypes.c_void_p(handle), data, ctypes.c_int64(info.frames))
    sf.sf_close(ctypes.c_void_p(handle))
    return info.samplerate, list(data)


def voiced_db(samples, rate):
    """RMS in dBFS of the 10 ms windows within 30 dB of the loudest."""
    window = rate // 100
    levels = []
    for at in range(0, len(samples) - window, window):
        part = samples[at:at + window]
        levels.append(sum(s * s for s in part) / window / 32768 ** 2)
    loud = [l for l in levels if l > 0 and 10 * math.log10(l) > 10 * math.log10(max(levels)) - 30]
    return 10 * math.log10(sum(loud) / len(loud)) if loud else -200


def start_sound(display):
    socket = display.path("run", "pulse-native")
    server = subprocess.Popen(
        ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
         f"--load=module-native-protocol-unix socket={socket}", "--load=module-null-sink sink_name=speakers",
         "--load=module-null-sink sink_name=mouth",
         "--load=module-remap-source master=mouth.monitor source_name=microphone"],
        env=display.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: subprocess.run(["pactl", "info"], env=display.env, capture_output=True).returncode == 0,
             "the sound server")
    for command in (["set-default-sink", "speakers"], ["set-default-source", "microphone"]):
        subprocess.run(["pactl", *command], env=display.env, capture_output=True)
    return server


def focus(display, title):
    window = wait_for(lambda: (display.run("xdotool", "search", "--onlyvisible", "--name", title).split() or [None])[0],
                      f'the window "{title}"')
    display.run("xdotool", "windowfocus", "--sync", window)
    time.sleep(0.4)


def recording(display):
    return "protocol-native" in display.run("pactl", "list", "short", "source-outputs")


def own_voice_test(binary):
    with Display() as display:
        display.env["PULSE_SERVER"] = "unix:" + display.path("run", "pulse-native")
        display.env["XDG_DATA_HOME"] = display.path("data")
        folder = display.path("data", "Vellucario", "voce")
        burst_wav(display.path("burst.wav"))
        sound = start_sound(display)
        try:
            program = Program(display, binary).wait_window().activate()
            program.key("F10")
            focus(display, "^Voce$")
            program.key("alt+r")
            focus(display, "Registra la voce")
            program.key("space")
            wait_for(lambda: recording(display), "the take to begin")
            time.sleep(0.3)
            subprocess.run(["paplay", "-d", "mouth", display.path("burst.wav")], env=display.env, check=True)
            program.key("space")
            take = os.path.join(folder, "1.flac")
            wait_for(lambda: os.path.exists(take), "the take of 1 kept")
            rate, samples = read_flac(take)
            length = len(samples) / rate
            check(abs(length - (BURST_S + MARGINS_S)) < 0.04,
                  f"take of {length:.3f} s, not the {BURST_S} s burst and its margins: trimmed wrong")
            level = voiced_db(samples, rate)
            check(abs(level - TARGET_DB) < 1.0, f"take at {level:.1f} dBFS, not {TARGET_DB}")
            # A microphone that goes quiet mid-take, with no error from it, fails the take, good as
            # it was so far, and the take kept before stays.
            kept = open(take, "rb").read()
            program.key("space")
            wait_for(lambda: recording(display), "the second take to begin")
            time.sleep(0.3)
            subprocess.run(["paplay", "-d", "mouth", display.path("burst.wav")], env=display.env, check=True)
            display.run("pactl", "suspend-source", "microphone", "1")
            wait_for(lambda: not recording(display), "the take ended by the stopped microphone", 6)
            display.run("pactl", "suspend-source", "microphone", "0")
            check(open(take, "rb").read() == kept, "a failed take took the place of the one kept")

            # Every number from the same take, so that any draw plays it, after a long phrase.
            for name in [f"{n}.flac" for n in range(2, 91)]:
                shutil.copy(take, os.path.join(folder, name))
            write_tone_flac(os.path.join(folder, "numero.flac"), PHRASE_S)
            program.key("Escape")
            focus(display, "^Voce$")
            program.key("alt+m", "Return")
            wait_for(lambda: display.settings().get("Voce/Registrata") == "true", "[Voce] Registrata=true")
            program.activate()
            time.sleep(1)  # the takes are read on a thread of their own
            heard_path = display.path("heard.wav")
            recorder = subprocess.Popen(["parecord", "--device=speakers.monitor", "--file-format=wav", heard_path],
                                        env=display.env)
            time.sleep(0.5)
            program.key("Down")
            time.sleep(PHRASE_S + 2.5)
            recorder.terminate()
            recorder.wait()
            with wave.open(heard_path) as w:
                heard = array.array("h", w.readframes(w.getnframes()))
                heard = heard[::w.getnchannels()]
                heard_rate = w.getframerate()
            level = voiced_db(list(heard), heard_rate)
            check(level > -30, "the draw was not heard from the take")
            # The long phrase reaches the speakers whole: no 5 ms in it without its tone.
            window = heard_rate // 200
            start = next(i for i, v in enumerate(heard) if abs(v) >= 1024)
            gaps = [at for at in range(start, start + int(heard_rate * (PHRASE_S - 0.02)), window)
                    if max(map(abs, heard[at:at + window])) < 1024]
            check(not gaps, f"the phrase broken off at {[round((g - start) / heard_rate, 3) for g in gaps[:5]]} s")
            check(abs(level - TARGET_DB) < 1.5, f"the take played at {level:.1f} dBFS, not at {TARGET_DB}")
            print(f"take {length:.3f} s at {voiced_db(samples, rate):.1f} dBFS; played at {level:.1f} dBFS")
        finally:
            sound.kill()


if __name__ == "__main__":
    skip_unless("pulseaudio", "pactl", "parecord", "paplay")
    main(own_voice_test)
