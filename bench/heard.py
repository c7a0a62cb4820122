# SPDX-License-Identifier: GPL-3.0-or-later
"""The voice as a person hears it: when the first sound of a number reaches the speakers.

The bench's PulseAudio has one null sink; speech-dispatcher is configured to speak into it
and parecord listens to the sink's monitor. A sample whose magnitude reaches LOUD is sound
heard; the monitor is digital silence (zeros) otherwise. The moment of a sample is the
moment its chunk came out of parecord, less the samples after it in that chunk: parecord
is asked for 10 ms fragments, so a moment is late by at most about that.

Three figures, for any program whose window draws a number on Down:
  first heard, cold   launch to the first sound, Down pressed as soon as the window has
                      been painted and focused, speech-dispatcher not running (a fresh
                      runtime folder: the program's client library starts it)
  first heard, warm   the same, speech-dispatcher left running by the run before in the
                      same runtime folder
  key to sound        a program already running and speech-dispatcher warm: Down (xdotool)
                      to the first sound, each press once the announcement before is over
  floor               the same server and sink without the program: `spd-say -l it 42`
                      launched to the first sound, what any client of the server waits
"""

import array
import os
import subprocess
import sys
import threading
import time

RATE = 44100
LOUD = 1024            # about -30 dBFS: well above dithering, below any spoken syllable
FRAGMENT_MS = 10
QUIET_S = 0.8          # silence after an announcement before the next press or start
HEARD_TIMEOUT_S = 20.0
SINK = "bench"
HOLD_S = float(os.environ.get("BENCH_HOLD_S", "0.1"))   # a key held as a person holds it


def speechd_conf(timeout_s):
    """speech-dispatcher's configuration for the bench: spoken into the bench's PulseAudio,
    espeak-ng, and alive timeout_s after its last client left (its default is 5 s), so that
    a run can find it warm after the run before it has ended."""
    return (f'AudioOutputMethod "pulse"\nDefaultModule espeak-ng\nTimeout {timeout_s}\n'
            f'LogLevel 3\n')


class Recorder:
    """parecord on the null sink's monitor, read on a thread of its own; keeps only when
    sound was heard, not the sound."""

    def __init__(self, env):
        self.proc = subprocess.Popen(
            ["parecord", f"--device={SINK}.monitor", "--raw", "--format=s16le",
             f"--rate={RATE}", "--channels=1", f"--latency-msec={FRAGMENT_MS}"],
            env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.pid = self.proc.pid
        self.cond = threading.Condition()
        self.reached = None      # when the latest chunk came out
        self.sounds = []         # (first, last) loud moment of each chunk with sound
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()
        self._wait(lambda: self.reached is not None, 10, "parecord delivered nothing")

    def _read(self):
        fd = self.proc.stdout.fileno()
        carry = b""
        while True:
            data = os.read(fd, 1 << 16)
            now = time.monotonic()
            if not data:
                break
            data = carry + data
            whole = len(data) - len(data) % 2
            carry = data[whole:]
            samples = array.array("h", data[:whole])
            if sys.byteorder != "little":
                samples.byteswap()
            n = len(samples)
            sound = None
            if n and (max(samples) >= LOUD or min(samples) <= -LOUD):
                loud = [j for j, s in enumerate(samples) if abs(s) >= LOUD]
                sound = (now - (n - loud[0]) / RATE, now - (n - loud[-1]) / RATE)
            with self.cond:
                self.reached = now
                if sound:
                    self.sounds.append(sound)
                self.cond.notify_all()

    def _wait(self, ready, timeout, what):
        with self.cond:
            if not self.cond.wait_for(ready, timeout):
                raise RuntimeError(what)
            return ready()

    def first_sound_after(self, moment, timeout=HEARD_TIMEOUT_S):
        """The moment of the first loud sample after `moment`; an error if the sink was not
        silent at `moment`."""
        def found():
            for first, last in self.sounds:
                if last >= moment:
                    if first < moment - 0.05:
                        raise RuntimeError("the sink was not silent when timing began")
                    return first
            return None
        return self._wait(found, timeout, f"nothing heard within {timeout:.0f} s")

    def wait_quiet(self, quiet_s=QUIET_S, timeout=30):
        """Returns once the sink has been silent for quiet_s."""
        def quiet():
            last = self.sounds[-1][1] if self.sounds else 0.0
            return self.reached - last >= quiet_s
        self._wait(quiet, timeout, f"the sink not silent for {quiet_s} s within {timeout} s")

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.thread.join(timeout=5)


def press_down(session):
    """Down pressed, held HOLD_S as a person holds a key, and released, each by an xdotool of
    its own; the moment just before the press's xdotool is started (its start-up, a few ms,
    is counted in the figure). A program that acts only at the release is late by the hold."""
    moment = time.monotonic()
    session.run(["xdotool", "keydown", "Down"], timeout=10)
    time.sleep(max(0.0, moment + HOLD_S - time.monotonic()))
    session.run(["xdotool", "keyup", "Down"], timeout=10)
    return moment


def focus(session, started):
    session.run(["xdotool", "windowfocus", "--sync", started.window], timeout=10)


def heard_after_start(session, recorder, program, env):
    """One launch: Down as soon as the window is painted and focused. Returns the seconds
    from the launch to the first sound, to the press, and to the first paint."""
    recorder.wait_quiet()
    started = session.start([program], env)
    focus(session, started)
    pressed = press_down(session)
    heard = recorder.first_sound_after(started.start_s)
    recorder.wait_quiet()   # the announcement heard to its end
    session.stop(started)
    return {"heard_s": heard - started.start_s, "pressed_s": pressed - started.start_s,
            "paint_s": started.paint_ms / 1000}


def first_heard(session, recorder, program, runs):
    """`runs` rounds, each in a runtime folder of its own: a cold launch, then a warm one."""
    cold, warm = [], []
    for _ in range(runs):
        env = session.place()
        if session.speech_server_pids(env):
            raise RuntimeError("speech-dispatcher already running in a fresh runtime folder")
        cold.append(heard_after_start(session, recorder, program, env))
        if not session.speech_server_pids(env):
            raise RuntimeError("the program did not start speech-dispatcher")
        warm.append(heard_after_start(session, recorder, program, env))
        recorder.wait_quiet()
        session.end_speech_server(env)
    return cold, warm


def key_to_sound(session, recorder, program, draws):
    """Down to the first sound, `draws` times, in a program started with speech-dispatcher
    already warm; each press waits for the announcement before it to end."""
    env = session.place()
    started = session.start([program], env)   # starts and warms speech-dispatcher
    focus(session, started)
    press_down(session)
    recorder.first_sound_after(started.start_s)
    delays, floor = [], []
    for _ in range(draws):
        recorder.wait_quiet()
        pressed = press_down(session)
        delays.append(recorder.first_sound_after(pressed) - pressed)
    for _ in range(draws):
        recorder.wait_quiet()
        launched = time.monotonic()
        subprocess.run(["spd-say", "-l", "it", "42"], env=env, capture_output=True, timeout=10)
        floor.append(recorder.first_sound_after(launched) - launched)
    recorder.wait_quiet()
    session.stop(started)
    session.end_speech_server(env)
    return delays, floor


def measure(session, program, runs, draws):
    """The figures for one program, as a dict of lists of seconds; with runs 0, only the
    key to sound and its floor."""
    recorder = Recorder(session.env)
    session.pids.append(recorder.pid)
    try:
        cold, warm = first_heard(session, recorder, program, runs)
        keys, floor = key_to_sound(session, recorder, program, draws)
    finally:
        recorder.stop()
        session.pids.remove(recorder.pid)
    return {"cold": cold, "warm": warm, "key_s": keys, "floor_s": floor}
