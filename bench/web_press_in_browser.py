#!/usr/bin/python3
"""How long the page's press takes in headless Chromium: one engine call that
gives the record, the notes, the working, the winding plan and its pictures,
parsed into JavaScript, for three supplies in turn. Mean of ROUNDS presses
after a warm-up, and the slowest.
    bench/web_press_in_browser.py build/web/index.html [ROUNDS]
"""
import pathlib
import sys

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

page = pathlib.Path(sys.argv[1]).resolve().as_uri()
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 600
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run"):
    options.add_argument(flag)
driver = webdriver.Chrome(options=options, service=Service(executable_path="/usr/bin/chromedriver"))
try:
    driver.get(page)
    WebDriverWait(driver, 20).until(
        lambda d: d.find_element(By.TAG_NAME, "html").get_attribute("data-ready"))
    mean, slowest = driver.execute_async_script("""
        const [rounds, done] = arguments;
        createEngine().then((engine) => {
            const supplies = [['12', '375', '120', '65', '80', '12'],
                              ['10', '373', '127', '100', '80', '5'],
                              ['60', '373', '249', '100', '80', '24']];
            for (let i = 0; i < 60; ++i) engine.page.press(supplies[i % 3]);
            let slowest = 0;
            const start = performance.now();
            for (let i = 0; i < rounds; ++i) {
                const t = performance.now();
                engine.page.press(supplies[i % 3]);
                slowest = Math.max(slowest, performance.now() - t);
            }
            done([(performance.now() - start) / rounds, slowest]);
        });""", rounds)
    print(f"press with record, plan and pictures: {mean:.3f} ms on average over {rounds} "
          f"(slowest {slowest:.2f} ms)")
finally:
    driver.quit()
