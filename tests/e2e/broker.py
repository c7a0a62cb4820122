# SPDX-License-Identifier: GPL-3.0-or-later
"""Players beyond the hall: mosquitto started here, [Remoto] on, the room's state read with
mosquitto_sub; the page loaded from a file with the broker in its link claims and gets the
verdict; the broker is stopped in the middle (a verdict and a draw given meanwhile) and started
again, and the program, the page and the retained state catch up."""
import atexit, json, os, signal, socket, subprocess
from harness import Display, Program, check, main, skip_unless, wait_for
from phones import MANUAL_BOX, free_port

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException

ROOM = "e2e-casa"
PAGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "network", "page", "index.html")


class Broker:
    def __init__(self, display):
        self.tcp, self.ws = free_port(), free_port()
        self.config = display.path("mosquitto.conf")
        self.log = display.path("mosquitto.log")
        os.makedirs(display.path("mosquitto"), exist_ok=True)
        with open(self.config, "w") as f:
            f.write(("user root\n" if os.getuid() == 0 else "")
                    + f"persistence true\npersistence_location {display.path('mosquitto')}/\n"
                    + f"allow_anonymous true\nlistener {self.tcp} 127.0.0.1\n"
                    + f"listener {self.ws} 127.0.0.1\nprotocol websockets\nsocket_domain ipv4\n")
        self.proc = None
        atexit.register(lambda: self.proc and self.proc.poll() is None and self.proc.kill())

    def start(self):
        self.proc = subprocess.Popen(["mosquitto", "-c", self.config], stdout=subprocess.DEVNULL,
                                     stderr=open(self.log, "a"))
        def listening():
            with socket.socket() as s:
                return s.connect_ex(("127.0.0.1", self.ws)) == 0 or self.proc.poll() is not None
        wait_for(listening, "the broker")
        check(self.proc.poll() is None, "mosquitto ended: " + open(self.log).read()[-1000:])

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(10)

    def state(self, seconds=5):
        """The room's retained state, or None when there is none (or no broker)."""
        out = subprocess.run(["mosquitto_sub", "-p", str(self.tcp), "-h", "127.0.0.1", "-C", "1", "-W", str(seconds),
                              "-t", f"sorteggina/{ROOM}/stato"], capture_output=True, text=True)
        return json.loads(out.stdout) if out.returncode == 0 and out.stdout.strip() else None


def broker_test(binary):
    skip_unless("chromedriver", "mosquitto", "mosquitto_sub")
    with Display("1920x1080") as display:
        broker = Broker(display)
        broker.start()
        conf = display.path("config", "Vellucario")
        os.makedirs(conf)
        with open(os.path.join(conf, "Vellucario.conf"), "w") as f:
            f.write(f"[Remoto]\nAttiva=true\nBroker=mqtt://127.0.0.1:{broker.tcp}\n"
                    f"Pagina=ws://127.0.0.1:{broker.ws}\nStanza={ROOM}\n")
        program = Program(display, binary).wait_window().activate()
        program.key("Down")
        drawn = lambda: len((broker.state(1) or {}).get("drawn", []))
        wait_for(lambda: drawn() == 1, "the draw in the room's retained state")

        options = webdriver.ChromeOptions()
        for flag in ("--headless=new", "--no-sandbox", "--window-size=390,844"):
            options.add_argument(flag)
        browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

        def text(id):
            try:
                return browser.find_element(By.ID, id).text
            except (NoSuchElementException, StaleElementReferenceException):
                return ""

        def cells(selector):
            try:
                return [int(td.text) for td in browser.find_elements(By.CSS_SELECTOR, selector) if td.text.strip()]
            except StaleElementReferenceException:
                return []
        try:
            browser.get(f"file://{os.path.abspath(PAGE)}?broker=ws://127.0.0.1:{broker.ws}&stanza={ROOM}")
            wait_for(lambda: text("link") == "in diretta" and text("count") == "Estratti: 1 di 90",
                     "the page following the room")
            browser.find_element(By.ID, "code").send_keys("42-3-u\n")
            row = wait_for(lambda: cells(".cartella tr:first-child td"), "the cartella computed on the phone")
            program.click(*MANUAL_BOX)
            # The number drawn with Down goes back into the bag first: typed again among the row's it
            # would go back instead, and left out it could give the board itself the ambo first.
            for number in (broker.state()["drawn"][0], *row[:2]):
                program.key(*str(number), "Return")
            wait_for(lambda: set(row[:2]) <= set(cells(".cartella td.drawn")), "the cartella's numbers marked")
            browser.find_element(By.ID, "name").send_keys("Anna")
            wait_for(lambda: browser.find_elements(By.CSS_SELECTOR, ".claim"), "the ambo offered")[0].click()
            notice = "Ambo chiamato da Anna, cartella 42-3: valido"
            wait_for(lambda: notice in program.spoken(), "the claim said in the caller's window")
            wait_for(lambda: text("verdict") == "Chiamata inviata al banco…", "the claim acknowledged")

            out = broker.state()["drawn"]
            before, another = len(out), next(n for n in range(1, 91) if n not in out)
            broker.stop()
            wait_for(lambda: "broker non raggiungibile" in text("link"), "the page saying the broker is gone", seconds=60)
            program.activate()
            program.key("Return")  # confirmed while the broker is away
            program.key(*str(another), "Return")  # a number from the bag, drawn meanwhile
            broker.start()
            wait_for(lambda: text("link") == "in diretta", "the page back by itself", seconds=60)
            wait_for(lambda: text("count") == f"Estratti: {before + 1} di 90", "the draw made meanwhile on the phone")
            wait_for(lambda: "confermato" in text("verdict"), "the verdict given meanwhile on the phone")
            check(text("verdict") == notice + ": confermato dal banco", text("verdict"))
            check(text("winners") == "Ambo: Anna, cartella 42-3", text("winners"))
            check(drawn() == before + 1, "the retained state brought up to date")
        finally:
            browser.quit()
            if broker.proc.poll() is None:
                out = broker.state()["drawn"]
            before, another = len(out), next(n for n in range(1, 91) if n not in out)
            broker.stop()


if __name__ == "__main__":
    main(broker_test)
