#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs every performance measurement of Sorteggina and prints one table.

    bench/run_bench.py BUILD_DIR        (what `make bench` runs)

In-process figures come from BUILD_DIR/bench/window_bench (Google Benchmark, offscreen).
Whole-program figures start BUILD_DIR/sorteggina and BUILD_DIR/bench/bare_window the
same way on a private X server (Xvfb, 1280x1024, 96 dpi) with a silent PulseAudio sink,
so that the real voice has somewhere to speak:
  start-up   first_paint starts the program and waits for the X server's Damage report
             of the first drawing into its mapped window; median of several starts.
  memory     VmRSS from /proc/PID/status after start and after a game of 90 Down presses.
             The speech engine's share is the bare window's growth when it also creates
             the system's QTextToSpeech (bare_window --speech).
  idle       utime+stime from /proc/PID/stat over 10 s of an idle window, and the
             scheduler's own nanosecond count (/proc/PID/schedstat) for precision.
Nothing here passes or fails: the table sets each figure beside its baseline and target.
"""

import json
import os
import pathlib
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

STARTS = 11           # timed starts of each program
SETTLE_S = 3.0        # after the first paint, before memory and idle figures
IDLE_S = 10.0
GAME_PRESSES = 90
KEY_DELAY_MS = 150    # the program polls the keyboard every 100 ms
TICKS = os.sysconf("SC_CLK_TCK")


def note(text):
    print(f"bench: {text}", file=sys.stderr, flush=True)


class Session:
    """A private X server and sound sink, and every process started under them."""

    def __init__(self, build):
        self.build = build
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="sorteggina-bench."))
        self.pids = []
        run = self.work / "run"
        run.mkdir(mode=0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("QT_", "DISPLAY", "WAYLAND"))}
        self.env["XDG_RUNTIME_DIR"] = str(run)
        self.env["XDG_CONFIG_HOME"] = str(self.work / "config")

    def __enter__(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-dpi", "96", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.pids.append(xvfb.pid)
        os.close(write_end)
        with os.fdopen(read_end) as display:
            number = display.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number

        pulse = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
             "--use-pid-file=no", "--load=module-native-protocol-unix",
             "--load=module-null-sink sink_name=benchsink"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.pids.append(pulse.pid)
        for _ in range(50):
            if subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        subprocess.run(["pactl", "set-default-sink", "benchsink"], env=self.env,
                       capture_output=True)
        return self

    def __exit__(self, *exc):
        speech = self.speech_server_pids()
        for pid in reversed(self.pids + speech):
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        time.sleep(0.3)
        for pid in self.pids + speech:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        shutil.rmtree(self.work, ignore_errors=True)

    def speech_server_pids(self):
        """speech-dispatcher started for our runtime folder, and its modules."""
        pid_file = pathlib.Path(self.env["XDG_RUNTIME_DIR"]) / "speech-dispatcher/pid/speech-dispatcher.pid"
        try:
            server = int(pid_file.read_text().split()[0])
            os.kill(server, 0)
        except (OSError, ValueError, IndexError):
            return []
        return [server] + children_of(server)

    def fresh_config(self):
        config = pathlib.Path(tempfile.mkdtemp(dir=self.work, prefix="config."))
        env = dict(self.env, XDG_CONFIG_HOME=str(config))
        return env, config

    def start(self, argv, env=None, attempts=3):
        """Starts argv through first_paint; returns once its first window is painted."""
        # The program's own messages go to the same file: a pipe could fill up and stall it.
        messages = tempfile.TemporaryFile(mode="w+", dir=self.work)
        probe = subprocess.Popen([str(self.build / "bench/first_paint")] + argv,
                                 env=env or self.env, stdout=subprocess.PIPE,
                                 stderr=messages, text=True)
        self.pids.append(probe.pid)
        line = probe.stdout.readline().split()
        if len(line) != 4:
            probe.wait()
            self.pids.remove(probe.pid)
            messages.seek(0)
            why = messages.read().strip().splitlines()[-1:] or ["no message"]
            why = why[0]
            if attempts > 1:
                note(f"{pathlib.Path(argv[0]).name} again after: {why}")
                return self.start(argv, env, attempts - 1)
            raise RuntimeError(f"{argv[0]} did not paint a window: {why}")
        pid, window, map_ms, paint_ms = int(line[0]), line[1], float(line[2]), float(line[3])
        self.pids.append(pid)
        return Started(probe, pid, window, map_ms, paint_ms)

    def stop(self, started):
        try:
            os.kill(started.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            started.probe.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.kill(started.pid, signal.SIGKILL)
            started.probe.wait()
        self.pids.remove(started.pid)
        self.pids.remove(started.probe.pid)

    def run(self, argv, **kwargs):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, **kwargs)


class Started:
    def __init__(self, probe, pid, window, map_ms, paint_ms):
        self.probe, self.pid, self.window = probe, pid, window
        self.map_ms, self.paint_ms = map_ms, paint_ms


def children_of(parent):
    found = []
    for stat in pathlib.Path("/proc").glob("[0-9]*/stat"):
        try:
            fields = stat.read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[1]) == parent:
            found.append(int(stat.parent.name))
    return found


def rss_kib(pid):
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise RuntimeError(f"no VmRSS for {pid}")


def cpu_used(pid):
    """(utime+stime of the whole process in seconds, from clock ticks; time on a CPU in
    seconds of its threads alive now, from each thread's schedstat in nanoseconds)."""
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])
    on_cpu_ns = 0
    for task in pathlib.Path(f"/proc/{pid}/task").iterdir():
        try:
            on_cpu_ns += int((task / "schedstat").read_text().split()[0])
        except OSError:
            pass  # the thread has just ended
    return ticks / TICKS, on_cpu_ns / 1e9


def idle_cpu_percent(pid):
    ticks0, ns0 = cpu_used(pid)
    wall0 = time.monotonic()
    time.sleep(IDLE_S)
    ticks1, ns1 = cpu_used(pid)
    wall = time.monotonic() - wall0
    return 100 * (ticks1 - ticks0) / wall, 100 * (ns1 - ns0) / wall


def play_game(session, started, fill_screen=False):
    session.run(["xdotool", "windowfocus", "--sync", started.window], timeout=10)
    if fill_screen:
        # The program takes the whole screen when activated; the bare window is given
        # the same size, so that both draw into a backing store of the same size.
        session.run(["xdotool", "windowsize", "--sync", started.window, "1280", "1024"], timeout=10)
    time.sleep(0.5)
    session.run(["xdotool", "key", "--delay", str(KEY_DELAY_MS)] + ["Down"] * GAME_PRESSES,
                timeout=120)
    time.sleep(2.0)


def drawn_numbers(config):
    conf = config / "Vellucario/Vellucario.conf"
    if not conf.exists():
        return 0
    match = re.search(r"^SalvaUlt=\"?([0-9-]*)", conf.read_text(), re.MULTILINE)
    if not match:
        return 0
    items = match.group(1).split("-")
    return max(0, len(items) - 12)


def in_process(build, results):
    out = results / "window_bench.json"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="sorteggina-bench-rt.")
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    with open(results / "window_bench.log", "w") as log:
        subprocess.run([str(build / "bench/window_bench"), f"--benchmark_out={out}",
                        "--benchmark_out_format=json"], env=env, stdout=log, stderr=log,
                       check=True)
    shutil.rmtree(env["XDG_RUNTIME_DIR"], ignore_errors=True)
    figures = {}
    for b in json.loads(out.read_text())["benchmarks"]:
        if "error_message" in b:
            raise RuntimeError(f"{b['name']}: {b['error_message']}")
        name = b["name"].split("/iterations")[0]
        figures[name] = b
    return figures


def whole_program(build):
    program = str(build / "sorteggina")
    bare = str(build / "bench/bare_window")
    figures = {}
    with Session(build) as session:
        # The first start also starts the speech server: a start of its own.
        env, _ = session.fresh_config()
        first = session.start([program], env)
        figures["first_start_ms"] = first.paint_ms
        time.sleep(SETTLE_S)
        session.stop(first)

        note(f"start-up, {STARTS} starts of each program")
        kinds = {"": [program], "bare_": [bare], "label_": [bare, "--label"]}
        paint = {kind: [] for kind in kinds}
        mapped = {kind: [] for kind in kinds}
        for _ in range(STARTS):
            for kind, argv in kinds.items():
                env, _ = session.fresh_config()
                started = session.start(argv, env)
                paint[kind].append(started.paint_ms)
                mapped[kind].append(started.map_ms)
                time.sleep(1.5)  # the program starts its voice after the first paint
                session.stop(started)
        for kind in kinds:
            figures[kind + "paint_ms"] = statistics.median(paint[kind])
            figures[kind + "map_ms"] = statistics.median(mapped[kind])
        figures["paint_all"] = paint

        note("memory and idle CPU of the program")
        env, config = session.fresh_config()
        started = session.start([program], env)
        time.sleep(SETTLE_S)
        figures["rss_start"] = rss_kib(started.pid)
        figures["start_cpu_s"] = cpu_used(started.pid)[0]
        figures["idle_ticks"], figures["idle_sched"] = idle_cpu_percent(started.pid)
        play_game(session, started)
        figures["rss_game"] = rss_kib(started.pid)
        figures["drawn"] = drawn_numbers(config)
        figures["speech_server_rss"] = sum(rss_kib(p) for p in session.speech_server_pids())
        session.stop(started)

        note("memory and idle CPU of the bare window")
        started = session.start([bare])
        time.sleep(SETTLE_S)
        figures["bare_rss_start"] = rss_kib(started.pid)
        figures["bare_start_cpu_s"] = cpu_used(started.pid)[0]
        figures["bare_idle_ticks"], figures["bare_idle_sched"] = idle_cpu_percent(started.pid)
        play_game(session, started, fill_screen=True)
        figures["bare_rss_game"] = rss_kib(started.pid)
        session.stop(started)

        started = session.start([bare, "--speech"])
        time.sleep(SETTLE_S)
        figures["bare_speech_rss"] = rss_kib(started.pid)
        figures["bare_speech_start_cpu_s"] = cpu_used(started.pid)[0]
        session.stop(started)

        started = session.start([bare, "--label"])
        time.sleep(SETTLE_S)
        figures["label_rss"] = rss_kib(started.pid)
        session.stop(started)

        # The program with Qt's speech plug-ins out of its reach shows its no-engine
        # message instead of the window. QT_PLUGIN_PATH only adds folders, so a copy of
        # the program gets a qt.conf naming a plug-in tree without texttospeech/.
        plugins = session.run(["qtpaths6", "--query", "QT_INSTALL_PLUGINS"]).stdout.strip()
        alone = session.work / "no-engine"
        (alone / "plugins").mkdir(parents=True)
        for entry in pathlib.Path(plugins).iterdir():
            if entry.name != "texttospeech":
                (alone / "plugins" / entry.name).symlink_to(entry)
        shutil.copy2(program, alone / "sorteggina")
        (alone / "qt.conf").write_text(f"[Paths]\nPlugins = {alone / 'plugins'}\n")
        env, _ = session.fresh_config()
        started = session.start([str(alone / "sorteggina")], env)
        time.sleep(SETTLE_S)
        figures["no_engine_rss"] = rss_kib(started.pid)
        session.stop(started)
    return figures


def machine():
    model = "unknown CPU"
    for line in pathlib.Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
    return f"{os.cpu_count()} x {model}"


def load():
    return pathlib.Path("/proc/loadavg").read_text().split()[0]


def table(inp, whole):
    rows = []

    def row(figure, value, baseline, ratio, target, verdict):
        rows.append((figure, value, baseline, ratio, target, verdict))

    def met(ok):
        return "met" if ok else "MISSED"

    def us(b, counter="median_us"):
        return b["counters"][counter] if "counters" in b else b[counter]

    def ms_text(micros):
        return f"{micros / 1000:.3f} ms" if micros >= 1000 else f"{micros:.1f} us"

    draw, memory, qsettings = inp["BM_DrawCycle"], inp["BM_DrawCycleMemoryStore"], inp["BM_QSettingsWrite"]
    for counter, label, limit in (("median_us", "median", 1000), ("p99_us", "p99", 5000)):
        value, base = us(draw, counter), us(qsettings, counter)
        row(f"Draw cycle, {label} ({int(us(draw, 'samples'))} draws)", ms_text(value),
            f"{ms_text(base)} QSettings setValue+sync", f"{value / base:.2f}x",
            f"<= {limit / 1000:g} ms", met(value <= limit))
    row("  of which without the disk (store in memory)",
        f"{ms_text(us(memory))} / p99 {ms_text(us(memory, 'p99_us'))}", "", "", "", "info")

    for size in ("800/h:600", "1280/h:1024", "1920/h:1080", "3840/h:2160"):
        form, plain = inp[f"BM_Layout/w:{size}"], inp[f"BM_LayoutPlainWidgets/w:{size}"]
        value = us(form)
        label = size.replace("/h:", "x")
        row(f"Layout {label}, median (p99)", f"{ms_text(value)} ({ms_text(us(form, 'p99_us'))})",
            f"{ms_text(us(plain))} 99 x setGeometry", f"{value / us(plain):.1f}x", "median <= 2 ms",
            met(value <= 2000))

    for size, label, limit in (("1920/h:1080/scale:1", "1920x1080", None), ("3840/h:2160/scale:2", "3840x2160 at scale 2", 8000)):
        paint = inp[f"BM_BoardRepaint/w:{size}"]
        row(f"Board repaint {label}, median (p99)", f"{ms_text(us(paint))} ({ms_text(us(paint, 'p99_us'))})",
            "", "", f"<= {limit / 1000:g} ms" if limit else "", met(us(paint) <= limit) if limit else "info")

    voice, speak = inp["BM_VoicePath"], inp["BM_VoiceSpeak"]
    row("Voice path, Down fed to say(), median (p99)",
        f"{ms_text(us(voice))} ({ms_text(us(voice, 'p99_us'))})",
        f"{ms_text(us(speak))} speak() alone", f"{us(voice) / us(speak):.0f}x",
        "(+ up to 100 ms poll wait)", "info")

    ratio = whole["paint_ms"] / whole["bare_paint_ms"]
    row(f"Start-up to first paint, median of {STARTS}", f"{whole['paint_ms']:.0f} ms",
        f"{whole['bare_paint_ms']:.0f} ms bare window", f"{ratio:.2f}x", "<= 1.3x bare",
        met(ratio <= 1.3))
    row("  window mapped, median", f"{whole['map_ms']:.0f} ms",
        f"{whole['bare_map_ms']:.0f} ms bare window",
        f"{whole['map_ms'] / whole['bare_map_ms']:.2f}x", "", "info")
    row("  first paint, against a bare window with one label", f"{whole['paint_ms']:.0f} ms",
        f"{whole['label_paint_ms']:.0f} ms bare + label",
        f"{whole['paint_ms'] / whole['label_paint_ms']:.2f}x", "", "info")
    row("  first start (speech server not yet running)", f"{whole['first_start_ms']:.0f} ms",
        "", "", "", "info")
    row(f"  CPU time until {SETTLE_S:.0f} s after first paint", f"{whole['start_cpu_s'] * 1000:.0f} ms",
        f"{whole['bare_start_cpu_s'] * 1000:.0f} ms bare, "
        f"{whole['bare_speech_start_cpu_s'] * 1000:.0f} ms bare + speech", "", "", "info")

    engine = whole["bare_speech_rss"] - whole["bare_rss_start"]
    for key, label, bare_key in (("rss_start", "RSS after start", "bare_rss_start"),
                                 ("rss_game", f"RSS after {GAME_PRESSES} Down "
                                  f"({whole['drawn']} drawn)", "bare_rss_game")):
        limit = 1.3 * whole[bare_key] + engine
        row(label, f"{whole[key] / 1024:.1f} MiB", f"{whole[bare_key] / 1024:.1f} MiB bare window",
            f"{whole[key] / whole[bare_key]:.2f}x", f"<= {limit / 1024:.1f} MiB", met(whole[key] <= limit))
    row("  speech engine (bare + QTextToSpeech - bare)", f"{engine / 1024:.1f} MiB", "", "", "", "info")
    row("  against a bare window with one label", f"{whole['rss_start'] / 1024:.1f} MiB",
        f"{whole['label_rss'] / 1024:.1f} MiB bare + label",
        f"{whole['rss_start'] / whole['label_rss']:.2f}x",
        f"<= {(1.3 * whole['label_rss'] + engine) / 1024:.1f} MiB", "info")
    row("  program without engine (no-engine message)", f"{whole['no_engine_rss'] / 1024:.1f} MiB",
        "", "", "", "info")
    row("  speech-dispatcher + module (other processes)",
        f"{whole['speech_server_rss'] / 1024:.1f} MiB", "", "", "", "info")

    # Clock ticks are 10 ms: over 10 s one tick is 0.1 %, so the verdict uses schedstat.
    row(f"Idle CPU over {IDLE_S:.0f} s, % of a core (schedstat)", f"{whole['idle_sched']:.3f} %",
        f"{whole['bare_idle_sched']:.3f} % bare window", "", "< 0.2 %",
        met(whole["idle_sched"] < 0.2))
    row("  same from utime+stime (10 ms ticks)", f"{whole['idle_ticks']:.2f} %",
        f"{whole['bare_idle_ticks']:.2f} % bare window", "", "", "info")

    head = ("Figure", "Sorteggina", "Baseline", "Ratio", "Target", "")
    widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(len(head))]
    line = "  ".join("-" * w for w in widths)
    out = ["  ".join(str(c).ljust(w) for c, w in zip(head, widths)), line]
    out += ["  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip() for r in rows]
    return "\n".join(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build = pathlib.Path(sys.argv[1]).resolve()
    results = build / "bench-results"
    results.mkdir(exist_ok=True)
    load_before = load()
    note("in-process figures (window_bench, offscreen)")
    inp = in_process(build, results)
    whole = whole_program(build)
    (results / "whole_program.json").write_text(json.dumps(whole, indent=1))
    print(f"Machine: {machine()}; load average {load_before} before, {load()} after")
    print(table(inp, whole))


if __name__ == "__main__":
    main()
