# SPDX-License-Identifier: GPL-3.0-or-later
"""A whole game with automatic calling and three phones in headless Chromium: a claim holds
the calling until Enter answers it, every claiming phone gets its verdict, all list the winners."""
import os, time
from harness import Display, Program, check, main, skip_unless, wait_for
from phones import TOKEN, free_port
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.common.exceptions import WebDriverException

SENT = "Chiamata inviata al banco…"


def code_of(serie, cartella):  # the check letter the board prints
    total, weight, rest = cartella, 2, serie
    while rest:
        total, weight, rest = total + weight * (rest % 10), weight + 1, rest // 10
    return f"{serie}-{cartella}-{'ACEFHKMRUWX'[total % 11]}"


def read(phone, id):
    try:
        return phone.find_element(By.ID, id).text
    except WebDriverException:
        return ""


def three_phones_test(binary):
    skip_unless("chromedriver")
    port = free_port()
    with Display("1920x1080") as display:
        os.makedirs(display.path("config", "Vellucario"))
        with open(display.path("config", "Vellucario", "Vellucario.conf"), "w") as f:
            f.write(f"[Rete]\nAttiva=true\nPorta={port}\nCodice={TOKEN}\n[Estrazione]\nSecondi=3\n")
        program = Program(display, binary).wait_window().activate()
        for k in range(6):  # the board's own cartelle left out: only the phones win
            program.click((210 if k % 2 == 0 else 990) / 15 + 25, (5790 + 270 * (k // 2)) / 15 + 8)
        options = webdriver.ChromeOptions()
        for flag in ("--headless=new", "--no-sandbox", "--window-size=390,844"):
            options.add_argument(flag)
        phones = []
        try:
            for n, name in enumerate(("Anna", "Bruno", "Carla")):
                phones.append(webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options))
                phones[n].get(f"http://127.0.0.1:{port}/?t={TOKEN}")
                phones[n].find_element(By.ID, "name").send_keys(name)
                phones[n].find_element(By.ID, "code").send_keys(code_of(1, n + 1) + "\n")
                wait_for(lambda: phones[n].find_elements(By.CSS_SELECTOR, ".cartella td"), "the cartella")
            program.key("ctrl+t")
            claimed, answered, held, deadline = set(), 0, None, time.monotonic() + 200
            while not all(read(p, "banner") == "TOMBOLA!" for p in phones):
                check(time.monotonic() < deadline, f"the game not over: {read(phones[0], 'count')}")
                for n, phone in enumerate(phones):
                    if read(phone, "verdict").startswith("Aspetta"):  # one claim every 3 s from one address
                        claimed = {c for c in claimed if c[0] != n}
                    try:
                        for button in phone.find_elements(By.CSS_SELECTOR, ".claim"):
                            if (n, button.text) not in claimed:
                                claimed.add((n, button.text))
                                button.click()
                    except WebDriverException:
                        pass  # redrawn meanwhile: seen again at the next turn
                if len([t for t in program.spoken() if " da " in t and ", cartella 1-" in t]) > answered:
                    if held is None:  # the first claim: no number comes while it waits
                        held = read(phones[0], "count")
                        time.sleep(7)
                        check(read(phones[0], "count") == held, f"numbers went on while a claim waited: {held}")
                    program.key("Return")
                    answered += 1
                elif all(read(p, "verdict") != SENT for p in phones):
                    program.key("Down", gap=0.1)  # faster than the calling, which also goes on
            winners = read(phones[0], "winners").splitlines()
            check(sorted({w.split(":")[0] for w in winners}) == ["Ambo", "Cinquina", "Quaterna", "Terno", "Tombola"]
                  and all(read(p, "winners").splitlines() == winners for p in phones), f"the winners: {winners}")
            for n, phone in enumerate(phones):
                check(all(c[0] != n for c in claimed) or read(phone, "verdict") not in ("", SENT), f"phone {n}")
        finally:
            for phone in phones:
                phone.quit()


if __name__ == "__main__":
    main(three_phones_test)
