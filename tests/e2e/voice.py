# SPDX-License-Identifier: GPL-3.0-or-later
"""The real voice: speech-dispatcher with espeak-ng speaking into a PulseAudio null sink. A
number drawn is heard; after the sound server is killed and started again, the next number
is heard; with speech-dispatcher stopped (SIGSTOP) for 10 s the game goes on, every draw
saved, and once it continues the voice speaks again."""
import array, os, signal, subprocess, time, wave
from harness import Display, Program, check, main, skip_unless, wait_for


def start_sound(display):
    socket = display.path("run", "pulse-native")
    server = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                               "--use-pid-file=no", f"--load=module-native-protocol-unix socket={socket}",
                               "--load=module-null-sink sink_name=e2e"], env=display.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: subprocess.run(["pactl", "info"], env=display.env, capture_output=True).returncode == 0,
             "the sound server")
    subprocess.run(["pactl", "set-default-sink", "e2e"], env=display.env, capture_output=True)
    return server


def heard(display, action, seconds=2.5):
    """Loud samples on the sink while action runs and for the seconds after it."""
    path = display.path("heard.wav")
    recorder = subprocess.Popen(["parecord", "--device=e2e.monitor", "--file-format=wav", path], env=display.env)
    time.sleep(0.3)
    action()
    time.sleep(seconds)
    recorder.terminate()
    recorder.wait()
    with wave.open(path) as w:
        samples = array.array("h", w.readframes(w.getnframes()))
    return sum(1 for s in samples if abs(s) > 3000)


def voice_test(binary):
    with Display() as display:
        display.env["PULSE_SERVER"] = "unix:" + display.path("run", "pulse-native")
        with open(display.path("config", "speech-dispatcher", "speechd.conf"), "w") as conf:
            conf.write('AudioOutputMethod "pulse"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                       "DefaultModule espeak-ng\n")
        sound = start_sound(display)
        try:
            program = Program(display, binary).wait_window().activate()
            check(heard(display, lambda: program.key("Down")) > 1000, "the first number was not heard")

            sound.kill()
            sound.wait()
            sound = start_sound(display)
            time.sleep(1)
            check(heard(display, lambda: program.key("Down")) > 1000, "no number heard after the sound server came back")

            speech = int(open(display.path("run", "speech-dispatcher", "pid", "speech-dispatcher.pid")).read())
            os.kill(speech, signal.SIGSTOP)
            before = len(display.settings()["Partita/Ordine"].split("-"))
            for _ in range(4):
                program.key("Down", gap=2.5)
            check(len(display.settings()["Partita/Ordine"].split("-")) == before + 4, "draws not saved while the voice hung")
            check(program.proc.poll() is None, "the program ended while the voice hung")
            os.kill(speech, signal.SIGCONT)
            time.sleep(2)
            check(heard(display, lambda: program.key("Down"), 5) > 1000, "no number heard after speech-dispatcher went on")
            print("heard at start, after the sound server came back, and after speech-dispatcher was stopped 10 s")
        finally:
            sound.kill()


if __name__ == "__main__":
    skip_unless("pulseaudio", "pactl", "parecord", "speech-dispatcher")
    main(voice_test)
