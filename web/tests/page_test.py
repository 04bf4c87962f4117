#!/usr/bin/python3
"""The page in headless Chromium, as a user would use it: typing, pressing,
reading every box, a faulting press's dialog. Nothing may leave the page.
    web/tests/page_test.py build/web/index.html
"""
import json
import pathlib
import sys
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

PAGE = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else "build/web/index.html").resolve()
CAPTION = "单端反激变换式开关电源变压器的设计"
WORKED_EXAMPLE = {0: "EE12", 1: " 1.88", 2: " 135.41", 3: " 6.2", 4: " 588", 5: " 2.77", 6: " 1.75mH"}
DESIGN_TIME = {0: "E-3", 1: "1.88", 2: "135", 3: "6", 4: "500", 5: "2.77", 6: "1.75mH"}
CAPTIONS = {"Text1_0": "输出功率 W", "Text1_3": "工作频率f(KHz)", "Text2_0": "磁芯型号",
            "Text2_6": "初级电感量", "Text2_5": "晶体管电流Isc"}


def start_chromium():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=800,600"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
    service = Service(executable_path="/usr/bin/chromedriver")
    return webdriver.Chrome(options=options, service=service)


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.driver = start_chromium()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()

    def setUp(self):
        self.driver.get(PAGE.as_uri())
        WebDriverWait(self.driver, 20).until(
            lambda d: d.find_element(By.TAG_NAME, "html").get_attribute("data-ready"))

    def box(self, name):
        return self.driver.find_element(By.ID, name)

    def results(self):
        return {i: self.box(f"Text2_{i}").get_attribute("value") for i in range(7)}

    def type_inputs(self, texts):
        for i, text in enumerate(texts):
            box = self.box(f"Text1_{i}")
            box.clear()
            if text:
                box.send_keys(text)

    def press(self):
        self.box("Command1").click()

    def test_opens_like_the_window(self):
        self.assertEqual(self.driver.title, CAPTION)
        self.assertEqual(self.driver.find_element(By.TAG_NAME, "html").get_attribute("lang"), "zh-CN")
        self.assertEqual(self.results(), DESIGN_TIME)
        self.assertEqual(self.box("Command1").text, "=>")
        self.assertEqual(self.box("Command1").accessible_name, "计算")
        for name, caption in CAPTIONS.items():
            self.assertEqual(self.box(name).accessible_name, caption)
        client = self.driver.find_element(By.CLASS_NAME, "client").rect
        self.assertEqual((client["width"], client["height"]), (549, 212))
        frame = self.box("Frame2").rect
        result = self.box("Text2_6").rect
        self.assertEqual((result["x"] - frame["x"], result["y"] - frame["y"]), (128, 56))
        self.assertEqual((result["width"], result["height"]), (81, 19))
        self.assertTrue(self.box("Text2_0").get_attribute("readonly"))

    def test_press_writes_the_worked_example(self):
        self.press()
        self.assertEqual(self.results(), WORKED_EXAMPLE)

    def test_keyboard_on_the_button_presses_and_enter_in_a_box_does_not(self):
        self.box("Text1_0").send_keys(Keys.ENTER)
        self.assertEqual(self.results(), DESIGN_TIME)
        self.box("Command1").send_keys(Keys.SPACE)
        self.assertEqual(self.results(), WORKED_EXAMPLE)

    def test_full_width_digits_read_as_typed(self):
        self.type_inputs(["６０", "368", "200", "20", "75", "５"])
        self.press()
        self.assertEqual(self.results(), WORKED_EXAMPLE)

    def test_fault_shows_the_dialog_clears_what_was_not_reached_and_keeps_the_inputs(self):
        typed = ["0", "368", "200", "20", "75", "5"]
        self.type_inputs(typed)
        self.press()
        dialog = self.box("FaultDialog")
        self.assertTrue(dialog.get_attribute("open") is not None)
        self.assertEqual(self.box("FaultTitle").text, CAPTION)
        message = self.box("FaultMessage").text
        self.assertIn("除数为零", message)
        self.assertIn("“输出功率 W”", message)
        self.assertEqual(self.results(), {0: "EE8.3", 1: "", 2: "", 3: "", 4: " 588", 5: "", 6: ""})
        self.assertEqual([self.box(f"Text1_{i}").get_attribute("value") for i in range(6)], typed)
        self.box("FaultOk").click()
        self.assertIsNone(dialog.get_attribute("open"))
        # The dialog's close event, which moves the focus, comes as a task of its own.
        WebDriverWait(self.driver, 5).until(
            lambda d: d.switch_to.active_element.get_attribute("id") == "Text1_0")

    def test_texts_are_never_markup(self):
        self.type_inputs(['<img src=x onerror="document.title=1">', "368", "200", "20", "75", "5"])
        self.press()
        self.box("FaultOk").click()
        self.assertEqual(self.driver.execute_script("return document.images.length"), 0)
        self.assertEqual(self.driver.title, CAPTION)

    def set_input(self, i, text, lone_surrogate=False):
        """Puts a text into a box as a paste would, with the input event; a lone
        surrogate, which WebDriver cannot carry, is added in the page."""
        self.driver.execute_script(
            "const box = document.getElementById(arguments[0]);"
            "box.value = arguments[1] + (arguments[2] ? String.fromCharCode(0xD800) : '');"
            "box.dispatchEvent(new Event('input'));", f"Text1_{i}", text, lone_surrogate)

    def test_texts_the_protocol_would_refuse_are_pressed_as_the_window_presses_them(self):
        # A lone surrogate is read as U+FFFD; texts together beyond a request
        # line are still one press. Neither meets the line protocol's errors.
        self.set_input(0, "60", lone_surrogate=True)
        self.set_input(1, " " * 600000 + "368")
        self.set_input(2, " " * 600000 + "200")
        self.press()
        self.assertIsNone(self.box("FaultDialog").get_attribute("open"))
        self.assertEqual(self.results(), WORKED_EXAMPLE)

    def test_a_text_over_one_mebibyte_is_refused_whole(self):
        self.set_input(0, "6" * ((1 << 20) + 1))
        self.assertEqual(self.box("Text1_0").get_attribute("value"), "60")
        self.assertIsNotNone(self.box("FaultDialog").get_attribute("open"))
        self.assertIn("1 MiB", self.box("FaultMessage").text)

    def test_no_request_leaves_the_page(self):
        self.press()
        urls = []
        for entry in self.driver.get_log("performance"):
            event = json.loads(entry["message"])["message"]
            if event["method"] == "Network.requestWillBeSent":
                urls.append(event["params"]["request"]["url"])
        self.assertTrue(urls)
        self.assertEqual([u for u in urls if not u.startswith(("file:", "data:"))], [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
