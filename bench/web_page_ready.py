#!/usr/bin/python3
"""How long the page takes to become usable, opened from disk in headless
Chromium: from the start of navigation until the engine is loaded and the
button enabled (the page records that moment). Median of RUNS loads.
    bench/web_page_ready.py build/web/index.html [RUNS]
"""
import pathlib
import statistics
import sys

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

page = pathlib.Path(sys.argv[1]).resolve().as_uri()
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync"):
    options.add_argument(flag)
driver = webdriver.Chrome(options=options, service=Service(executable_path="/usr/bin/chromedriver"))
try:
    samples = []
    for _ in range(runs):
        driver.get("about:blank")
        driver.get(page)
        ready = WebDriverWait(driver, 20).until(
            lambda d: d.find_element(By.TAG_NAME, "html").get_attribute("data-ready"))
        samples.append(float(ready))
    print(f"page interactive {statistics.median(samples):.0f} ms after navigation "
          f"(median of {runs}; fastest {min(samples):.0f} ms, slowest {max(samples):.0f} ms)")
finally:
    driver.quit()
