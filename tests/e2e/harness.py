# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program on a private X server, driven as a person would: keys and clicks with
xdotool, screenshots read straight from the X server, the settings file read back.
Each test script exits 0 (pass), 1 (fail) or 77 (skipped: a tool is missing)."""
import os, random, shutil, signal, subprocess, sys, tempfile, time

TOOLS = ["Xvfb", "xdotool", "xwd"]
TWIPS_PER_PX = 15  # at 96 dpi


def skip_unless(*tools):
    missing = [t for t in TOOLS + list(tools) if not shutil.which(t)]
    if missing:
        print("SKIP: missing " + " ".join(missing))
        sys.exit(77)


class Failure(Exception):
    pass


def check(ok, message):
    if not ok:
        raise Failure(message)


# A step a loaded machine may hold up for seconds: waited for this long, never slept.
PATIENCE = 30


def wait_for(predicate, what, seconds=PATIENCE):
    deadline = time.monotonic() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"{what}: not within {seconds} s")
        time.sleep(0.03)


class Display:
    """An Xvfb with the given screens ("1920x1080", ...), a private home, settings and
    runtime folder, and no sound server unless one is started."""

    def __init__(self, *screens):
        self.work = tempfile.mkdtemp(prefix="sorteggina-e2e.")
        args = []
        for i, size in enumerate(screens or ("1280x1024",)):
            args += ["-screen", str(i), f"{size}x24"]
        # A display of our own choosing: with -displayfd, two servers starting at once can
        # both settle on the same number. No reset when the last client leaves: a program
        # started at that moment would find the server closed.
        for number in random.Random().sample(range(20, 500), 40):
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-dpi", "96", "-nolisten", "tcp", "-noreset"] + args,
                                         stdout=subprocess.DEVNULL, stderr=open(self.path("xvfb.log"), "w"))
            probe = dict(os.environ, DISPLAY=f":{number}")
            for _ in range(PATIENCE * 20):
                if self.xvfb.poll() is not None or subprocess.run(
                        ["xdotool", "getdisplaygeometry"], env=probe, capture_output=True).returncode == 0:
                    break
                time.sleep(0.05)
            if self.xvfb.poll() is None:
                break
        else:
            raise Failure("Xvfb did not start")
        number = str(number)
        self.env = dict(os.environ, DISPLAY=":" + number, HOME=self.path("home"),
                        XDG_CONFIG_HOME=self.path("config"), XDG_RUNTIME_DIR=self.path("run"),
                        XDG_CACHE_HOME=self.path("cache"), QT_QPA_PLATFORM="xcb",
                        PULSE_SERVER="unix:" + self.path("no-sound-server"),
                        DBUS_SESSION_BUS_ADDRESS="unix:path=" + self.path("no-bus"),
                        QT_LOGGING_RULES="sorteggina.voice.info=true",
                        QT_MESSAGE_PATTERN="%{category}|%{message}")
        self.env.pop("SPEECHD_ADDRESS", None)
        for folder in ("home", "config", "run", "cache", "config/speech-dispatcher"):
            os.makedirs(self.path(folder), mode=0o700, exist_ok=True)
        # A voice that speaks every text to its end into nothing: without a sound server the
        # texts would never end, and the program would rightly show that it is not heard.
        with open(self.path("home", ".asoundrc"), "w") as asound:
            asound.write("pcm.!default { type null }\n")
        with open(self.path("config", "speech-dispatcher", "speechd.conf"), "w") as conf:
            conf.write('AudioOutputMethod "alsa"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                       "DefaultModule espeak-ng\n")
        self.programs = []

    def path(self, *parts):
        return os.path.join(self.work, *parts)

    def run(self, *argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30).stdout

    def settings(self):
        """The settings file as {"Group/Key": value}."""
        values, group, path = {}, "", self.path("config", "Vellucario", "Vellucario.conf")
        for line in open(path, encoding="utf-8").read().splitlines() if os.path.exists(path) else []:
            if line.startswith("["):
                group = line.strip("[]")
            elif "=" in line:
                values[f"{group}/{line.split('=', 1)[0]}"] = line.split("=", 1)[1]
        return values

    def screenshot(self, screen=0):
        """The screen as a numpy array of (height, width, 3) RGB bytes."""
        import numpy
        raw = subprocess.run(["xwd", "-root", "-silent", "-screen", "-display", f"{self.env['DISPLAY']}.{screen}"],
                             env=self.env, capture_output=True, timeout=30).stdout
        header = [int.from_bytes(raw[i:i + 4], "big") for i in range(0, 100, 4)]
        size, width, height, bpl, ncolors = header[0], header[4], header[5], header[12], header[19]
        start = size + 12 * ncolors
        pixels = numpy.frombuffer(raw[start:start + bpl * height], numpy.uint8).reshape(height, bpl)
        bgrx = pixels[:, :width * 4].reshape(height, width, 4)
        return bgrx[:, :, 2::-1] if header[7] == 0 else bgrx[:, :, 1:4]  # LSB first: B G R X

    def stop_x(self):
        # Killed outright, Xvfb would leave its lock and socket for the next one to trip on.
        self.xvfb.terminate()
        self.xvfb.wait(5)

    def close(self):
        for program in self.programs:
            program.kill()
        try:  # the speech server the program started
            os.kill(int(open(self.path("run", "speech-dispatcher/pid/speech-dispatcher.pid")).read()), signal.SIGKILL)
        except (OSError, ValueError):
            pass
        self.stop_x()
        if os.environ.get("E2E_KEEP"):
            print("kept:", self.work)
        else:
            shutil.rmtree(self.work, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Program:
    """One start of the program on a display."""

    def __init__(self, display, binary, args=(), **env):
        self.display = display
        self.log = display.path(f"program-{len(display.programs)}.log")
        self.proc = subprocess.Popen([binary, *args], env=dict(display.env, **env), stdout=subprocess.DEVNULL,
                                     stderr=open(self.log, "w"))
        display.programs.append(self)
        self.window = None

    def wait_window(self, seconds=PATIENCE):
        def found():
            check(self.proc.poll() is None, "the program ended: " + open(self.log).read()[-2000:]
                  + f" (X server: {self.display.xvfb.poll()}, " + open(self.display.path("xvfb.log")).read()[-500:] + ")")
            out = self.display.run("xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid))
            return out.split()[0] if out.split() else None
        self.window = wait_for(found, "the window", seconds)
        return self

    def activate(self):
        """Gives the window the focus; the window maximises itself when activated."""
        self.display.run("xdotool", "windowfocus", "--sync", self.window)
        time.sleep(0.4)
        return self

    def key(self, *names, gap=0.25):
        for name in names:
            self.display.run("xdotool", "key", name)
            time.sleep(gap)

    def click(self, x, y):
        self.display.run("xdotool", "mousemove", "--window", self.window, str(int(x)), str(int(y)), "click", "1")
        time.sleep(0.3)

    def spoken(self):
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return [line[len("sorteggina.voice|"):].rstrip("\n") for line in f if line.startswith("sorteggina.voice|")]

    def kill(self, sig=signal.SIGKILL):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        self.proc.wait()


def main(test):
    """Runs test(binary) and turns a Failure into exit status 1."""
    try:
        test(sys.argv[1])
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
    print("PASS")
