# SPDX-License-Identifier: GPL-3.0-or-later
"""The players' phones against the real program, in headless Chromium at a phone's size:
the server on at start as stored, no page without the code, a draw on the phone within
500 ms, a cartella's numbers marked, a claim shown to the caller with its verdict and
confirmed with Enter, the phone told, and the page following again by itself after the
program was killed and started again."""
import os, socket, time, urllib.error, urllib.request
from harness import Display, Program, check, main, skip_unless, wait_for

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.action_chains import ActionChains
from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException

TOKEN = "0123456789abcdef0123456789abcdef"
MANUAL_BOX = ((540 + 1125 / 2) / 15, (4620 + 315 / 2) / 15)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def status_of(url):
    try:
        return urllib.request.urlopen(url, timeout=5).status
    except urllib.error.HTTPError as error:
        return error.code


def phones_test(binary):
    skip_unless("chromedriver")
    port = free_port()
    with Display("1920x1080") as display:
        conf = display.path("config", "Vellucario")
        os.makedirs(conf)
        with open(os.path.join(conf, "Vellucario.conf"), "w") as f:
            f.write(f"[Rete]\nAttiva=true\nPorta={port}\nCodice={TOKEN}\n")
        program = Program(display, binary).wait_window().activate()
        page = f"http://127.0.0.1:{port}/"
        wait_for(lambda: status_of(page + "?t=" + TOKEN) == 200, "the page served at start")
        check(status_of(page) == 403, "the page without the code is refused")

        options = webdriver.ChromeOptions()
        for flag in ("--headless=new", "--no-sandbox", "--window-size=390,844"):
            options.add_argument(flag)
        browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        def text(id):  # the page redraws its parts as messages come
            try:
                return browser.find_element(By.ID, id).text
            except (NoSuchElementException, StaleElementReferenceException):
                return ""

        def first_row():
            try:
                return [int(td.text) for td in browser.find_elements(By.CSS_SELECTOR, ".cartella tr:first-child td")
                        if td.text.strip()]
            except StaleElementReferenceException:
                return []
        def marked():
            try:
                return {int(td.text) for td in browser.find_elements(By.CSS_SELECTOR, ".cartella td.drawn")}
            except StaleElementReferenceException:
                return set()
        try:
            browser.get(page + "?t=" + TOKEN)
            code = browser.find_element(By.ID, "code")
            code.send_keys("42-3-u\n")
            row = wait_for(first_row, "the cartella on the phone")

            # Timed by the page itself as the count changes, not by this script's polling.
            browser.execute_script("const c = document.getElementById('count'); new MutationObserver(() => window.at ="
                                   " window.at || c.textContent.includes(' 1 di') && Date.now()).observe(c, {childList: true})")
            pressed = time.time()
            program.key("Down", gap=0)
            wait_for(lambda: text("count") == "Estratti: 1 di 90", "the draw on the phone")
            late = browser.execute_script("return window.at") / 1000 - pressed
            check(late <= 0.5, f"the draw reached the phone after {late * 1000:.0f} ms")

            # The first row's numbers typed from the bag: the cartella holds an ambo.
            program.click(*MANUAL_BOX)
            # Typed again, the number drawn with Down goes back into the bag: left out, it could give
            # the board itself the ambo first, and the cartella's would no longer be offered.
            for number in (int(text("last-number")), *row[:2]):
                program.key(*str(number), "Return")
            wait_for(lambda: set(row[:2]) <= marked(), "the cartella's numbers marked")
            browser.find_element(By.ID, "name").send_keys("Anna")
            claim = wait_for(lambda: browser.find_elements(By.CSS_SELECTOR, ".claim"), "the ambo offered")[0]
            # Tapped as a finger does, held a moment: the name's hello is answered meanwhile.
            ActionChains(browser).click_and_hold(claim).pause(0.3).release().perform()
            notice = "Ambo chiamato da Anna, cartella 42-3: valido"
            wait_for(lambda: notice in program.spoken(), "the claim said in the caller's window")
            program.key("Return")
            wait_for(lambda: "confermato" in text("verdict"), "the phone told of the confirmation")
            check(text("verdict") == notice + ": confermato dal banco", text("verdict"))
            wait_for(lambda: text("winners") == "Ambo: Anna, cartella 42-3", "the winner on every phone")
            check(display.settings().get("Settaggio/SalvaUlt", "").startswith("1-"), "the ambo declared and saved")

            program.kill()
            program = Program(display, binary).wait_window().activate()
            program.key("Down")
            wait_for(lambda: text("count") == "Estratti: 1 di 90", "the page following the new start")
        finally:
            browser.quit()


if __name__ == "__main__":
    main(phones_test)
