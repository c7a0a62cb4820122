#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The players' page in headless Chromium at phone sizes: the state arrives, follows the draws,
# fits without sideways scrolling, refuses a misread code and lets a winning cartella claim.
# Usage: page_check.py SERVE_PAGE [SCREENSHOT.png]; exits 77 where Chromium is missing.
import os, subprocess, sys
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    sys.exit(77)
if not os.path.exists('/usr/bin/chromedriver'):
    sys.exit(77)

server = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
port = server.stdout.readline().strip()
options = webdriver.ChromeOptions()
for flag in ('--headless=new', '--no-sandbox', '--window-size=390,844'):
    options.add_argument(flag)
browser = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
wait = WebDriverWait(browser, 10)
text = lambda id: browser.find_element(By.ID, id).text
try:
    browser.get(f'http://127.0.0.1:{port}/?t=c0ffee')
    wait.until(lambda b: text('count') == 'Estratti: 5 di 90')
    cells = browser.find_elements(By.CSS_SELECTOR, '#board [role=checkbox]')
    assert len(cells) == 90, len(cells)
    assert [c.get_attribute('aria-label') for c in cells if c.get_attribute('aria-checked') == 'true'] == ['1', '5', '14', '37', '90']
    assert text('last-number') == '5' and text('recent').split() == ['5', '14', '90', '37', '1'], text('recent')

    server.stdin.write('draw 42\n'), server.stdin.flush()
    wait.until(lambda b: text('last-number') == '42')
    assert browser.find_element(By.ID, 'announce').get_attribute('textContent').startswith('Estratto il 42')

    code = browser.find_element(By.ID, 'code')
    code.send_keys('42-3-A\n')
    wait.until(lambda b: text('code-problem') != '')
    code.clear(), code.send_keys('42-3-u\n')
    wait.until(lambda b: b.find_elements(By.CSS_SELECTOR, '.cartella td.drawn'))
    browser.find_element(By.ID, 'name').send_keys('<b>Anna</b>')
    browser.find_element(By.CSS_SELECTOR, '.claim').click()
    wait.until(lambda b: 'valido' in text('verdict'))
    assert text('verdict') == 'Ambo chiamato da <b>Anna</b>, cartella 42-3: valido', text('verdict')

    browser.refresh()
    wait.until(lambda b: b.find_elements(By.CSS_SELECTOR, '.cartella td.drawn'))
    for width in (320, 390, 1280):
        browser.set_window_size(width, 844)
        overflow = browser.execute_script('return document.documentElement.scrollWidth - window.innerWidth')
        assert overflow <= 0, f'{overflow} px too wide at {width}'
    browser.set_window_size(390, 844)
    browser.execute_script('window.scrollTo(0, 0)')
    if len(sys.argv) > 2:
        browser.save_screenshot(sys.argv[2])
finally:
    browser.quit()
    server.kill()
print('page_check: ok')
