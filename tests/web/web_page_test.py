#!/usr/bin/env python3
"""The page in headless Chromium against the console tool it was built with.

    web_page_test.py PAGE FIR_DESIGN

The module must give the console's file for a fixed-seed set of designs; the
page, typed into as a person would, must show the console's file and
refusals, download the file with either line end, and report an achieved
attenuation that an independent 2^20-point spectrum of the integers agrees
with.
"""
import math
import os
import pathlib
import random
import re
import subprocess
import sys
import tempfile
import unittest

import numpy
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples"))
import fir_response  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "console"))
import reference_design  # noqa: E402
import headless_browser  # noqa: E402

PAGE, PROGRAM = (os.path.abspath(p) for p in sys.argv[1:3])
PROMPTS = {"rate": "What is the sample frequency?", "cutoff": "What is the cutoff frequency?",
           "lower": "What is the lower cutoff frequency?", "upper": "What is the upper cutoff frequency?",
           "attenuation": "What is the stop band attenuation?",
           "count": "How many coefficients do you want? (less than or equal to 2049)"}
TYPE_LABELS = {"L": "Low Pass", "H": "High Pass", "B": "Band Pass"}
# How long a wait for what the page shows may take before it fails: long, for a loaded machine;
# a passing test waits only as long as the page takes.
PATIENCE = headless_browser.PATIENCE


def console(answers):
    """(file text or None, standard error) of the console tool for answers,
    a list of lines."""
    with tempfile.TemporaryDirectory() as folder:
        run = subprocess.run([PROGRAM], input="".join(a + "\n" for a in answers).encode(), cwd=folder,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        path = os.path.join(folder, "filter_coefficients.c")
        if not os.path.exists(path):
            return None, run.stderr.decode()
        with open(path) as file:
            return file.read(), run.stderr.decode()


def refusal_of(answers):
    """The console's refusal of answers, without the program's name: as the page shows it."""
    return console(answers)[1].strip().replace("fir_design: ", "", 1)


def console_taps(answers):
    """(sample rate, coefficients) of the console tool's file for answers."""
    with tempfile.NamedTemporaryFile("w", suffix=".c") as file:
        file.write(console(answers)[0])
        file.flush()
        return fir_response.read_coefficient_file(file.name)


def reference_table(answers, target):
    """The table a target holds, from the reference design: taps x 2^31 (or 2^15 for the rounded
    16-bit table) rounded (halves away from 0) and saturated, or rounded to float32."""
    rate, key, *edges, attenuation, count = answers
    taps = reference_design.design_taps(int(rate), key.upper(), [int(e) for e in edges], int(attenuation), int(count))
    if target == "f32":
        return [float(t) for t in numpy.float32(taps)]
    unit = 2 ** 15 if target == "q15-rounded" else 2 ** 31
    return [max(-unit, min(unit - 1, int(math.copysign(math.floor(abs(h) * unit + 0.5), h)))) for h in taps]


def expected_filter_output(answers, target, samples):
    """The documented arithmetic on the reference table, as text: q31 sums exact products,
    wraps to 64 bits, shifts right by 31 and wraps to 32 bits; f32 sums float products
    oldest first."""
    table = reference_table(answers, target)
    history = [0] * (len(table) - 1) + list(samples)
    if target == "f32":
        windows = numpy.lib.stride_tricks.sliding_window_view(numpy.float32(history), len(table))
        sums = numpy.add.accumulate(windows * numpy.float32(table[::-1]), axis=1, dtype=numpy.float32)[:, -1]
        return ["%.9g" % x for x in sums]
    wrap = lambda value, bits: (value + 2 ** (bits - 1)) % 2 ** bits - 2 ** (bits - 1)  # noqa: E731
    return [str(wrap(wrap(sum(c * x for c, x in zip(table[::-1], history[n:n + len(table)])), 64) >> 31, 32))
            for n in range(len(samples))]


def random_design(chance):
    """Answers of a design in range: every type, edges at the limits, odd and even N."""
    rate = chance.choice([2, 3, 8000, 44100, 48000, 96000, 192000, 2147483647, chance.randint(2, 400000)])
    key = chance.choice("LlHhBb")
    half = rate // 2
    edge = lambda low, high: chance.choice([low, high, chance.randint(low, high)])  # noqa: E731
    if key in "Ll":
        edges = [edge(1, half)]
    elif key in "Hh":
        edges = [edge(0, half - 1)]
    else:
        lower = edge(0, half)
        edges = [lower, chance.choice([u for u in {0, half, chance.randint(0, half)} if u != lower] or [1 - lower])]
    attenuation = chance.choice([0, 7, 8, 20, 21, 50, 51, 6449, chance.randint(0, 150)])
    count = chance.choice([2, 3, 2048, 2049, chance.randint(2, 2049)])
    return [str(rate), key] + [str(e) for e in edges] + [str(attenuation), str(count)]


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.downloads = tempfile.mkdtemp()
        cls.browser = headless_browser.open_page(PAGE, cls.downloads)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()

    def field(self, prompt):
        label = self.browser.find_element(By.XPATH, "//label[normalize-space()=\"%s\"]" % prompt)
        return self.browser.find_element(By.ID, label.get_attribute("for"))

    def type_answers(self, answers):
        """Types answers as the console takes them: rate, key, edges, attenuation, count."""
        rate, key, *edges, attenuation, count = answers
        self.choose(key.upper())
        names = ["rate"] + (["lower", "upper"] if key.upper() == "B" else ["cutoff"]) + ["attenuation", "count"]
        for name, value in zip(names, [rate] + edges + [attenuation, count]):
            self.retype(self.field(PROMPTS[name]), value)

    def retype(self, box, text):
        """Replaces a field's text as typing does; emptied by typing a space and erasing it.
        Returns once the page has shown what lies below the first screen, which it does
        in a task of its own after the change."""
        box.clear()
        box.send_keys(text or " ", *([] if text else [Keys.BACKSPACE]))
        self.browser.execute_async_script("setTimeout(arguments[0], 0)")

    def shown(self, element_id):
        return self.browser.execute_script("return document.getElementById(arguments[0]).textContent", element_id)

    def test_the_module_gives_the_console_s_file_for_a_thousand_designs(self):
        chance = random.Random(2026)
        designs = [random_design(chance) for _ in range(1000)]
        texts = self.browser.execute_script("""
            const m = window.designModule;
            return arguments[0].map(([rate, key, ...rest]) => {
              const band = key.toUpperCase() === "B";
              const values = [rate, band ? "" : rest[0], band ? rest[0] : "", band ? rest[1] : "",
                              rest[rest.length - 2], rest[rest.length - 1], ""];
              values.forEach((text, field) => m.setField(field, text));
              m.setFilterType(key);
              return m.update() ? m.coefficientText() : null;
            });""", designs)
        for design, text in zip(designs, texts):
            self.assertEqual(text, console(design)[0], design)

    def test_typed_answers_show_and_download_the_console_s_file(self):
        self.assertEqual(self.browser.execute_script(
            "return performance.getEntriesByType('resource').length + "
            "document.querySelectorAll('script[src], link[href]:not([href^=\"data:\"]), img[src]').length"), 0)
        self.browser.find_element(By.TAG_NAME, "body").send_keys("h")  # the menu's keys choose too
        self.assertTrue(self.browser.find_element(By.CSS_SELECTOR, "input[value=H]").is_selected())
        answers = ["44100", "B", "3400", "300", "70", "255"]  # swapped edges: the band between them
        self.type_answers(answers)
        expected = console(answers)[0]
        self.assertEqual(self.shown("coefficient-text"), expected)
        # Copy gives the file's exact text; Ctrl+A in its box selects that file alone.
        self.browser.execute_cdp_cmd("Browser.grantPermissions", {"permissions": ["clipboardReadWrite",
                                                                                "clipboardSanitizedWrite"]})
        self.browser.find_element(By.ID, "copy-file").send_keys(Keys.ENTER)
        WebDriverWait(self.browser, PATIENCE).until(lambda b: self.shown("file") and "Copied." in self.shown("file"))
        self.assertEqual(self.browser.execute_async_script("navigator.clipboard.readText().then(arguments[0])"), expected)
        self.browser.find_element(By.ID, "cmsis-header").send_keys(Keys.CONTROL + "a")
        self.assertEqual(self.browser.execute_script("return getSelection().toString()"),
                         self.shown("cmsis-header").rstrip("\n"))  # as the browser gives a selection
        for line_ends, text in (("LF", expected), ("CR LF", expected.replace("\n", "\r\n"))):
            self.browser.find_element(By.XPATH, "//select[@id='line-ends']/option[text()='%s']" % line_ends).click()
            self.browser.find_element(By.ID, "download").click()
            path = os.path.join(self.downloads, "filter_coefficients.c")
            WebDriverWait(self.browser, PATIENCE).until(lambda b: os.path.exists(path))
            with open(path, "rb") as downloaded:
                self.assertEqual(downloaded.read(), text.encode(), line_ends)
            os.remove(path)

    def test_each_question_refuses_as_the_console_does(self):
        refusals = [["12.5"], ["48000", "L", "24001"], ["48001", "H", "24000"], ["48000", "B", "-1"],
                    ["48000", "B", "500", "500"], ["48000", "L", "12000", "60 dB"],
                    ["48000", "L", "12000", "60", "2050"]]
        good = ["48000", "L", "12000", "60", "101"]
        for answers in refusals:
            full = answers + good[len(answers):] if answers[1:2] != ["B"] else \
                answers + ["600", "60", "101"][len(answers) - 3:]
            self.type_answers(full)
            message = refusal_of(answers)
            refusal = self.browser.find_element(By.XPATH, "//p[@class='refusal'][normalize-space()=\"%s\"]" % message)
            self.assertTrue(refusal.is_displayed(), message)
            self.assertEqual(self.shown("coefficient-text"), "", message)
            self.assertFalse(self.browser.find_element(By.ID, "download").is_enabled(), message)
        # A question whose range depends on a refused answer is shown, waiting for it.
        self.type_answers(["abc", "B", "1", "2", "60", "101"])  # no prefix of "abc" is accepted
        self.type_answers(["abc", "L", "1", "60", "101"])
        states = self.browser.execute_script(
            "return ['cutoff', 'lower-cutoff'].map((id) => document.getElementById(id).closest('.question').hidden)")
        self.assertEqual(states, [False, True])

    def test_the_achieved_attenuation_agrees_with_an_independent_spectrum(self):
        # The third has its worst gain at the stop band's edge, 1.6 dB above the nearest bin
        # of a 2^16-point spectrum.
        for answers in (["48000", "L", "12000", "60", "101"], ["48000", "L", "10000", "100", "2049"],
                        ["48000", "L", "4164", "40", "1931"],
                        ["8001", "H", "1000", "40", "31"], ["44100", "B", "300", "3400", "80", "511"]):
            self.type_answers(answers)
            shown = float(self.shown("achieved-attenuation").split()[0])
            rate, taps = console_taps(answers)
            q15 = numpy.array(taps) / fir_response.Q15
            spectrum = numpy.abs(numpy.fft.rfft(q15, 1 << 20))
            _, stops = fir_response.bands(answers[1], [int(e) for e in answers[2:-2]], rate,
                                          int(answers[-2]), len(taps))
            worst = 0
            for low, high in stops:
                bins = spectrum[math.ceil(low * (1 << 20)):math.floor(high * (1 << 20)) + 1]
                edges = [abs(numpy.sum(q15 * numpy.exp(-2j * math.pi * f * numpy.arange(len(taps)))))
                         for f in (low, high)]
                worst = max(worst, bins.max(), *edges)
            self.assertAlmostEqual(shown, -20 * math.log10(worst), delta=0.2, msg=answers)
        self.type_answers(["48000", "L", "12000", "7", "101"])
        self.assertTrue(self.shown("achieved-attenuation").startswith("no stop band"))

    def choose(self, key):
        self.browser.find_element(By.XPATH, "//label[normalize-space()='%s']" % TYPE_LABELS[key]).click()

    def choose_target(self, name):
        Select(self.browser.find_element(By.ID, "target")).select_by_value(name)
        self.browser.execute_async_script("setTimeout(arguments[0], 0)")

    def checked_type(self):
        return self.browser.execute_script("return document.querySelector('input[name=filter-type]:checked').value")

    def test_the_type_keys_act_only_in_the_type_group_and_without_modifiers(self):
        self.choose("L")
        in_group = self.browser.find_element(By.CSS_SELECTOR, "input[value=L]")
        for element, keys in ((self.browser.find_element(By.ID, "download"), "b"), (in_group, Keys.CONTROL + "b"),
                              (in_group, Keys.ALT + "b"), (in_group, Keys.CONTROL + "h")):
            element.send_keys(keys)
            self.assertEqual(self.checked_type(), "L", repr(keys))
        self.browser.find_element(By.ID, "line-ends").send_keys("l")
        in_group.send_keys("b")  # in the group, alone
        self.assertEqual(self.checked_type(), "B")
        # A digit or a point on the page is no key of the menu, and no error either.
        self.browser.execute_script("window.pageErrors = []; addEventListener('error', (e) => pageErrors.push(e.message))")
        body = self.browser.find_element(By.TAG_NAME, "body")
        body.send_keys("4.")
        in_group.send_keys("4")
        self.assertEqual(self.browser.execute_script("return window.pageErrors"), [])
        # Where the focus fell to the page because its control went away, a key changes nothing.
        self.choose("L")
        download = self.browser.find_element(By.ID, "download")
        self.browser.execute_script("arguments[0].focus(); arguments[0].hidden = true", download)
        self.browser.switch_to.active_element.send_keys("h")
        self.browser.execute_script("arguments[0].hidden = false", download)
        self.assertEqual(self.checked_type(), "L")

    def paste(self, field_id, text):
        self.browser.execute_script("""
            const data = new DataTransfer();
            data.setData("text", arguments[1]);
            document.getElementById(arguments[0]).dispatchEvent(
              new ClipboardEvent("paste", {clipboardData: data, bubbles: true, cancelable: true}));""", field_id, text)

    def test_blank_long_and_pasted_answers_are_judged_as_the_console_judges_them(self):
        good = ["48000", "L", "12000", "60", "101"]
        self.type_answers(good)
        rate = self.field(PROMPTS["rate"])
        self.retype(rate, "")
        message = refusal_of(["abc"])
        self.assertEqual(self.shown("sample-rate-refusal"), message)
        self.assertEqual(rate.get_attribute("aria-invalid"), "true")
        self.assertEqual(self.settled(), message + ".")  # the status line speaks once typing pauses
        # No length is cut short: 199 spaces and 60 are 60 dB, as the console reads them.
        self.type_answers(good[:3] + [" " * 199 + "60", "101"])
        self.assertEqual(self.shown("coefficient-text"), console(good)[0])
        # A paste of the console's answers spreads over the questions, the menu's line choosing the type.
        for answers in (["44100", "b", "300", "3400", "80", "511"], ["8000", "h", "1000", "40", "31"]):
            self.paste("sample-rate", "\r\n".join(answers) + "\r\n")
            self.assertEqual(self.shown("coefficient-text"), console(answers)[0], answers)
        self.paste("sample-rate", "48000\nL x\n12000\n")
        self.assertEqual(self.shown("filter-type-refusal"), refusal_of(["48000", "L x", "12000"]))

    def test_zoom_returns_to_the_whole_spectrum(self):
        self.type_answers(["48000", "L", "12000", "60", "101"])
        shown = lambda: self.browser.execute_script("return window.responsePlot.shownRange()")  # noqa: E731
        plot = self.browser.find_element(By.ID, "plot")
        zoom = lambda: ActionChains(self.browser).move_to_element_with_offset(plot, 100, 0).click_and_hold() \
            .move_by_offset(200, 0).release().perform()  # noqa: E731
        zoom()
        self.assertLess(shown()[1] - shown()[0], 20000)
        ActionChains(self.browser).double_click(plot).perform()
        WebDriverWait(self.browser, PATIENCE).until(lambda b: shown() == [0, 24000])
        zoom()
        self.browser.find_element(By.ID, "reset-zoom").click()
        self.assertEqual(shown(), [0, 24000])
        zoom()
        self.type_answers(["8000", "L", "1000", "60", "101"])
        self.assertEqual(shown(), [0, 4000])
        # The gain: a drag up or down zooms it, "Pass band" shows the ripple (a few thousandths of a dB).
        gains = lambda: self.browser.execute_script("return window.responsePlot.shownGains()")  # noqa: E731
        ActionChains(self.browser).move_to_element_with_offset(plot, 0, -100).click_and_hold() \
            .move_by_offset(0, 60).release().perform()
        WebDriverWait(self.browser, PATIENCE).until(lambda b: gains()[1] - gains()[0] < 40)
        self.browser.find_element(By.ID, "zoom-pass-band").send_keys(Keys.ENTER)
        self.assertLess(gains()[1] - gains()[0], 0.1)
        self.assertLess(shown()[1], 1000)
        # A pan stays within 0 Hz and half the rate; "log" starts at the first bin above 0 Hz.
        ActionChains(self.browser).key_down(Keys.SHIFT).move_to_element(plot).click_and_hold() \
            .move_by_offset(300, 0).release().key_up(Keys.SHIFT).perform()
        WebDriverWait(self.browser, PATIENCE).until(lambda b: shown()[0] >= 0)
        self.browser.find_element(By.ID, "reset-zoom").click()
        self.browser.find_element(By.ID, "log-frequency").click()
        self.assertGreater(shown()[0], 0)
        self.browser.find_element(By.ID, "log-frequency").click()

    def test_every_figure_agrees_with_numpy_over_the_integers(self):
        # Each type at each parity, and the degenerate designs, with what their words must say.
        cases = [(["48000", "L", "12000", "60", "101"], {"taps-at-zero": "where the design puts a zero, 0 truncated"}),
                 (["48000", "L", "9000", "50", "64"], {}), (["44100", "H", "5000", "70", "127"], {}),
                 (["96000", "H", "100", "80", "2048"],
                  {"achieved-attenuation": "the transition band reaches 0 Hz", "design-notes": "An even number"}),
                 (["44100", "B", "300", "3400", "80", "511"], {}), (["8000", "B", "3000", "1000", "40", "30"],
                                                                     {"design-notes": "swapped"}),
                 (["192000", "L", "1", "60", "101"], {"achieved-attenuation": "none: all taps are 0"}),
                 (["48000", "L", "12000", "100", "255"], {"achieved-attenuation": "short of the 100 dB asked"}),
                 (["48000", "L", "12000", "60", "2"], {"half-gain": "the gain never reaches \u22126 dB"})]
        number = lambda text: float(text.replace("\u2212", "-"))  # noqa: E731
        for answers, texts in cases:
            self.type_answers(answers)
            for element, text in texts.items():
                self.assertIn(text, self.shown(element), answers)
            rate, taps = console_taps(answers)
            self.assertTrue(self.shown("taps-at-zero").startswith("%d of %d" % (taps.count(0), len(taps))), answers)
            if not any(taps):
                continue
            spectrum = numpy.abs(numpy.fft.rfft(numpy.array(taps) / fir_response.Q15, 1 << 20))
            db = 20 * numpy.log10(numpy.maximum(spectrum, 1e-12))
            self.assertAlmostEqual(number(self.shown("peak-gain").split()[0]), db.max(), delta=0.01, msg=answers)
            passes, _ = fir_response.bands(answers[1], [int(e) for e in answers[2:-2]], rate, int(answers[-2]), len(taps))
            if passes and "to" in self.shown("pass-band-gain"):
                low, high = passes[0]
                band = db[math.ceil(low * (1 << 20)):math.floor(high * (1 << 20)) + 1]
                lowest, highest = (number(t) for t in self.shown("pass-band-gain").split()[0:3:2])
                self.assertAlmostEqual(lowest, max(band.min(), -240), delta=0.02, msg=answers)
                self.assertAlmostEqual(highest, band.max(), delta=0.02, msg=answers)
            found = re.findall(r"(\d+\.\d) Hz", self.shown("half-gain"))  # crossings, not edges
            if "half-gain" not in texts:  # every band edge has its crossing
                self.assertEqual(len(found), len(answers) - 4, answers)
            for hz in found:
                bin_ = round(float(hz) / rate * (1 << 20))  # the gain crosses -6.02 dB between neighbours
                self.assertLess(min(db[bin_ - 2:bin_ + 3]), -6.02 + 0.05, (answers, hz))
                self.assertGreater(max(db[bin_ - 2:bin_ + 3]), -6.02 - 0.05, (answers, hz))
        # A pass band flat to a ten-thousandth of a dB shows a figure that is not 0, with the page's minus sign.
        self.addCleanup(self.choose_target, "q15")
        self.choose_target("q31")
        self.type_answers(["48000", "L", "12000", "100", "101"])
        self.assertRegex(self.shown("pass-band-gain"), "^\u22120\\.000\\d*[1-9]\\d* to \\+0\\.000\\d*[1-9]")
        ActionChains(self.browser).move_to_element(self.browser.find_element(By.ID, "plot")).perform()
        self.assertNotIn("-", self.shown("readout"))

    def test_a_person_sees_the_bands_the_waiting_questions_and_kaiser_s_estimate(self):
        # 48000 Hz, low pass at 12000, 60 dB, 101 taps: Kaiser's width is 0.0363, 1742 Hz, so the
        # pass band ends at 11129 Hz and the stop band starts at 12871 Hz.
        self.type_answers(["48000", "L", "12000", "60", "101"])
        colour = lambda hz, db: self.browser.execute_script(  # noqa: E731
            "return window.responsePlot.colourAt(arguments[0], arguments[1])", hz, db)
        self.assertEqual([colour(7300, -55), colour(12000, -55), colour(21000, -35)],
                         ["#d8f0d8", "none", "#f4dede"])
        width = self.field("What transition width do you need?")
        for typed, shown in (("1000", "N \u2248 %.1f, so %d taps" % ((60 - 7.95) / (14.36 * 1000 / 48000) + 1, 175)),
                             ("1", "more than the 2049 the tool takes"), ("", "type a transition width")):
            self.retype(width, typed)
            self.assertIn(shown, self.shown("kaiser-estimate"), typed)
        rate = self.field(PROMPTS["rate"])
        self.retype(rate, "abc")
        self.assertEqual(self.shown("cutoff-refusal"), "(waits for an earlier answer)")

    def settled(self):
        """Waits until the status line has spoken for the last edit."""
        WebDriverWait(self.browser, PATIENCE).until(lambda b: b.execute_script("return document.getElementById('status')"
                                                                         ".dataset.settled === 'true'"))
        return self.shown("status")

    def emulate(self, width=None, dark=False):
        """A phone's width and a dark scheme, or, without them, the desktop as it started."""
        browser = self.browser
        if width:
            browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                    {"width": width, "height": 800, "deviceScaleFactor": 2, "mobile": True})
        else:
            browser.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        browser.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                {"features": [{"name": "prefers-color-scheme", "value": "dark" if dark else "light"}]})

    def test_axe_core_finds_no_accessibility_violation(self):
        with open(os.environ["AXE_SCRIPT"]) as script:
            self.browser.execute_script(script.read())
        self.addCleanup(self.emulate)
        states = {"default": (["48000", "L", "12000", "60", "101"], None, False),
                  "refused": (["abc", "L", "12000", "60", "101"], None, False),
                  "band pass": (["44100", "B", "300", "3400", "80", "511"], None, False),
                  "dark": (["48000", "L", "12000", "60", "101"], None, True),
                  "375 px": (["48000", "H", "12000", "60", "101"], 375, False)}
        for state, (answers, width, dark) in states.items():
            self.emulate(width, dark)
            self.type_answers(answers)
            self.settled()
            violations = self.browser.execute_async_script(
                "const done = arguments[0]; axe.run(document).then((r) => done(r.violations.map("
                "(v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', '))))")
            self.assertEqual(violations, [], state)

    def test_the_layout_holds_still_and_a_phone_needs_no_sideways_scroll(self):
        self.addCleanup(self.emulate)
        self.browser.refresh()
        WebDriverWait(self.browser, PATIENCE).until(lambda b: b.execute_script("return document.body.dataset.ready"))
        top = lambda: self.browser.execute_script(  # noqa: E731
            "return document.getElementById('cutoff').getBoundingClientRect().top + scrollY")
        for width in (None, 375):
            self.emulate(width)
            self.type_answers(["48000", "L", "12000", "60", "101"])
            self.settled()
            for rate in ("abc", "48000"):  # a refusal, then a design: the status line changes
                self.retype(self.field(PROMPTS["rate"]), rate)
                before = top()  # with the refusal beside its field, or without
                self.settled()
                self.assertEqual(top(), before, (width, rate))
            self.assertLessEqual(self.browser.execute_script("return document.documentElement.scrollWidth"),
                                 self.browser.execute_script("return document.documentElement.clientWidth"), width)
            if width:
                break
            # From loading on, the layout shifts add up to less than 0.05, as Lighthouse counts them.
            shifts = self.browser.execute_async_script("""
                const done = arguments[0];
                new PerformanceObserver((list) => done(list.getEntries().filter((e) => !e.hadRecentInput)
                  .reduce((sum, e) => sum + e.value, 0))).observe({ type: "layout-shift", buffered: true });""")
            self.assertLess(shifts, 0.05)

    def test_the_fixed_point_facts_agree_with_a_direct_computation(self):
        # The band pass's taps sum to 2.10 in magnitude: a 32-bit accumulator can overflow.
        self.addCleanup(self.choose_target, "q15")
        for answers, overflow, target in (
                (["44100", "B", "3000", "6000", "80", "255"], True, "q15"), (["48000", "L", "12000", "60", "101"], False, "q15"),
                (["8000", "H", "1000", "40", "31"], False, "q15"), (["48000", "L", "12000", "60", "2"], False, "q15"),
                (["8000", "L", "1000", "60", "51"], False, "q15"), (["48000", "L", "12000", "60", "3"], False, "q15"),
                (["44100", "B", "3000", "6000", "80", "255"], True, "q31"), (["48000", "L", "12000", "60", "2"], False, "q31"),
                (["48000", "L", "12000", "60", "101"], True, "f32"), (["48000", "L", "12000", "60", "2"], False, "f32")):
            self.type_answers(answers)
            self.choose_target(target)
            rate, taps = console_taps(answers)
            unit, largest = {"q15": (32768, 32767), "q31": (2 ** 31, 2 ** 31 - 1), "f32": (1, 1)}[target]
            taps = taps if target == "q15" else reference_table(answers, target)
            magnitudes = sum(abs(t) for t in taps)
            self.assertTrue(self.shown("worst-case-gain").startswith("%.4f " % (magnitudes / unit)), answers)
            self.assertEqual(bool(re.match("a full-scale input can (drive|give)", self.shown("full-scale"))),
                             magnitudes > largest, (answers, target))
            if target != "f32" and magnitudes > largest:  # the least shift that keeps the worst output in range
                shift = next(k for k in range(64) if magnitudes <= largest * 2 ** k)
                self.assertIn("by %d bit%s" % (shift, "" if shift == 1 else "s"), self.shown("full-scale"))
            elif target == "f32" and magnitudes <= largest:
                self.assertIn("%.2f dB of headroom" % -(20 * math.log10(magnitudes)), self.shown("full-scale"))
            bits = self.shown("accumulator-bits")
            if target == "q15":
                self.assertTrue(bits.startswith("%d bits" % ((32768 * magnitudes).bit_length() + 1)), (answers, bits))
                self.assertEqual("can overflow" in bits, overflow, answers)
                self.assertEqual(32768 * magnitudes > 2 ** 31 - 1, overflow, answers)
            self.assertNotRegex(self.shown("gain-at-zero"), "[-\u2212]0\\.0+ dB", answers)  # 0.99954 is 0.00 dB
            alternating = sum(t if i % 2 == 0 else -t for i, t in enumerate(taps)) / unit
            for element, gain in (("gain-at-zero", sum(taps) / unit), ("gain-at-half-rate", alternating)):
                shown = self.shown(element)  # one kind of minus sign, and a small gain not shown as 0
                self.assertNotRegex(shown, r"-\d", answers)
                self.assertAlmostEqual(float(shown.split()[0].replace("\u2212", "-")), gain,
                                       delta=max(5e-6, abs(gain) * 1e-3), msg=answers)
            impulse, step = self.browser.execute_script(
                "const r = window.designModule.timeResponses(); return [Array.from(r.impulse), Array.from(r.step)]")
            self.assertEqual(impulse, [t / unit for t in taps], answers)
            self.assertEqual(step, list(numpy.cumsum(numpy.array(taps, dtype=float) / unit)), answers)
            delay = (len(taps) - 1) / 2
            self.assertTrue(self.shown("delay").startswith(
                "%g sample%s, %#.4g ms" % (delay, "" if delay == 1 else "s", 1000 * delay / rate)), (answers, self.shown("delay")))

    def drop_in(self, answers, target, block, name, folder):
        """Types a design, table, block size and filter name; writes its drop-in file and header into
        folder, checks them, and returns the number of taps the filter gets."""
        self.type_answers(answers)
        self.choose_target(target)
        self.retype(self.field("How many samples does a call to the filter take?"), block)
        self.retype(self.field("Name"), name)
        module = "window.designModule"
        text, header = self.browser.execute_script("return [%s.cmsisText(), %s.cmsisHeader()]" % (module, module))
        self.assertEqual((self.shown("cmsis-text"), self.shown("cmsis-header")), (text, header))
        kind = target[:3]
        for suffix, content in ((".c", text), (".h", header)):
            with open(os.path.join(folder, name + "_" + kind + suffix), "w") as file:
                file.write(content)
        taps = int(re.search(r"#define %s_NUM_TAPS (\d+)" % name.upper(), header).group(1))
        self.assertEqual(taps, max(4, -(-int(answers[-1]) // 2) * 2) if kind == "q15" else int(answers[-1]))
        # The vector build's padding: zeros past the taps, to a multiple of 8 (q15) or 4; its block-size rules.
        entries = re.findall(r"^    (\S+?),?$", text, re.M)
        self.assertEqual((len(entries) % (8 if kind == "q15" else 4), len(set(entries[taps:]) - {"0", "0.0f"})), (0, 0))
        size = int(block)
        advised = (kind == "q15" and taps > 32 and size % 4 > 1) or (kind == "q31" and 29 <= taps <= 32 and size > 32
                                                                        and size % 4 > 0)
        advice = "use %d" % ((size + 3) // 4 * 4)
        self.assertEqual(advice in header, advised, (answers, target, block))
        self.assertEqual(advice in self.shown("block-size-advice"), advised)
        self.assertEqual("past the input block" in header, kind == "f32" and taps <= 4)
        return taps

    def test_the_rounded_table_rounds_the_reference_taps(self):
        self.addCleanup(self.choose_target, "q15")
        self.choose_target("q15-rounded")
        # A high pass from 0 Hz passes everything: its centre tap of 1.0 saturates.
        for answers in (["8000", "L", "1000", "40", "3"], ["44100", "B", "300", "3400", "70", "256"],
                        ["48000", "L", "12000", "60", "2049"], ["48000", "H", "0", "60", "101"]):
            self.type_answers(answers)
            expected = reference_table(answers, "q15-rounded")
            self.assertEqual([int(x) for x in re.findall(r"^ +(-?\d+)", self.shown("coefficient-text"), re.M)], expected)
            self.assertEqual("saturates it to 32767" in self.shown("design-notes"), answers[2] == "0")
        self.assertTrue(self.shown("coefficient-text").startswith("/* The design's taps times 32768, rounded"))
        self.assertEqual(self.shown("download"), "Download filter_coefficients_rounded.c")

    def test_the_drop_in_file_filters_as_the_example_filter(self):
        stand_in = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cmsis_stand_in")
        example = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples", "fixed_point_filter.c")
        stand_ins = [os.path.join(stand_in, name) for name in ("arm_fir_q15.c", "arm_fir_32.c", "run_blocks.c")]
        strict = ["cc", "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror", "-ffp-contract=off", "-I.", "-I", stand_in]
        chance = random.Random(20)
        full = {"q15": 32768, "q31": 2 ** 31, "f32": 1}
        self.addCleanup(self.choose_target, "q15")
        self.addCleanup(self.retype, self.field("Name"), "fir")
        run = lambda folder, program, samples: subprocess.run(  # noqa: E731
            [os.path.join(folder, program)], input="".join(("%.17g\n" % x) for x in samples), capture_output=True,
            text=True, check=True).stdout
        for answers, block, target, name in (
                (["48000", "L", "12000", "60", "101"], "32", "q15", "fir"),
                (["44100", "B", "3000", "6000", "80", "64"], "7", "q15", "band"),
                (["8000", "H", "1000", "40", "2"], "32", "q15", "fir"), (["8000", "L", "1000", "40", "3"], "1", "q15", "fir"),
                (["48000", "L", "12000", "60", "101"], "32", "q15-optimized", "fir"),
                (["48000", "L", "12000", "60", "101"], "7", "q31", "fir"), (["8000", "H", "1000", "40", "2"], "1", "q31", "fir"),
                (["44100", "B", "3000", "6000", "80", "2049"], "32", "q31", "fir"),
                (["48000", "H", "9000", "70", "31"], "33", "q31", "fir"), (["48000", "H", "9000", "70", "31"], "32", "q31", "fir"),
                (["8000", "L", "1000", "40", "3"], "32", "f32", "fir"), (["8000", "L", "1000", "40", "33"], "32", "f32", "fir"),
                (["44100", "B", "3000", "6000", "80", "64"], "7", "f32", "fir"),
                (["48000", "H", "12000", "90", "2049"], "1", "f32", "fir")):
            kind = target[:3]
            scale = full[kind]
            samples = [scale - (kind != "f32"), 0, 0, -scale] + [chance.choice([-scale, scale - 1, chance.uniform(-scale, scale)])
                                                                 for _ in range(300)]
            samples = list(numpy.float32(samples)) if kind == "f32" else [int(x) for x in samples]
            with tempfile.TemporaryDirectory() as folder:
                self.drop_in(answers, target, block, name, folder)
                file_name = "%s_%s" % (name, kind)
                subprocess.run(strict + ["-c", file_name + ".c"], cwd=folder, check=True)
                subprocess.run(strict[:3] + strict[-4:] + ["-fsanitize=address", "-o", "drop_in", "-DHEADER=\"%s.h\"" % file_name,
                                "-DNAME=" + name, "-DUPPER=" + name.upper(), "-DTARGET_" + kind.upper(), file_name + ".c"]
                               + stand_ins, cwd=folder, check=True)
                output = run(folder, "drop_in", samples)
                if kind == "q15":  # the example filter with the table's integers in the console's format
                    with open(os.path.join(folder, "filter_coefficients.c"), "w") as file:
                        file.write(self.shown("coefficient-text"))
                    subprocess.run(strict[:3] + ["-o", "example", example, "filter_coefficients.c"], cwd=folder, check=True)
                    self.assertEqual(output, run(folder, "example", samples), answers)
                else:
                    self.assertEqual(output.split(), expected_filter_output(answers, target, samples), answers)
        # Two filters in one program, the one compiled as C++: their names keep them apart.
        with tempfile.TemporaryDirectory() as folder:
            low, high = ["48000", "L", "12000", "60", "31"], ["48000", "H", "12000", "60", "33"]
            self.drop_in(low, "q15", "32", "low_pass", folder)
            self.drop_in(high, "q31", "32", "high_pass", folder)
            subprocess.run(["c++", "-x", "c++", "-Wall", "-Werror", "-I", stand_in, "-c", "high_pass_q31.c"], cwd=folder, check=True)
            subprocess.run(strict + ["-o", "both", "-DSECOND", "low_pass_q15.c", "high_pass_q31.o"] + stand_ins, cwd=folder, check=True)
            samples = [chance.randint(-32768, 32767) for _ in range(100)]
            pairs = [line.split() for line in run(folder, "both", samples).splitlines()]
            self.assertEqual([int(high) for _, high in pairs], [int(x) for x in expected_filter_output(high, "q31", samples)])
            with open(os.path.join(folder, "filter_coefficients.c"), "w") as file:
                file.write(console(low)[0])
            subprocess.run(strict[:3] + ["-o", "example", example, "filter_coefficients.c"], cwd=folder, check=True)
            self.assertEqual([low for low, _ in pairs], run(folder, "example", samples).split())

    def test_a_link_holds_the_design_refusals_too(self):
        for answers, target in ((["44100", "B", "300", "3400", "80", "511"], "q31"),
                                (["48000", "L", "12000", "60", "101"], "q15-rounded"),
                                (["48000", "L", "12000", "60", "101"], "q15-optimized"),
                                (["48000", "L", "12000", "60 dB", "101"], "q15")):
            entries = self.browser.execute_script("return history.length")
            self.type_answers(answers)
            self.choose_target(target)
            link, text, refusals = self.browser.execute_script(
                "return [location.hash, document.getElementById('coefficient-text').textContent, "
                "refusalsShown(window.designModule)]")
            self.assertEqual(self.browser.execute_script("return history.length"), entries)  # none added
            self.browser.get("about:blank")
            self.browser.get(pathlib.Path(PAGE).as_uri() + link)
            WebDriverWait(self.browser, PATIENCE).until(lambda b: b.execute_script("return document.body.dataset.ready"))
            self.assertEqual(self.shown("coefficient-text"), text, answers)
            self.assertEqual(self.browser.execute_script("return refusalsShown(window.designModule)"), refusals)
            self.assertEqual(self.checked_type(), answers[1])
            self.assertEqual(self.browser.execute_script("return document.getElementById('target').value"), target)
        # Values that cannot be read are refused as they stand, and the address stays as it came.
        broken = "#rate=%E0%A4%A&type=Q&cutoff=%ZZ&attenuation=60&taps=101&target=q16"
        self.browser.get("about:blank")
        self.browser.get(pathlib.Path(PAGE).as_uri() + broken)
        WebDriverWait(self.browser, PATIENCE).until(lambda b: b.execute_script("return document.body.dataset.ready"))
        self.browser.execute_async_script("setTimeout(arguments[0], 0)")
        self.assertEqual(self.shown("sample-rate-refusal"), refusal_of(["%E0%A4%A"]))
        self.assertEqual(self.shown("filter-type-refusal"), "this link's value could not be read")
        self.assertEqual(self.shown("target-refusal"), "this link's value could not be read")
        self.assertEqual(self.browser.execute_script("return location.hash"), broken)

    def test_the_shortest_length_is_found_on_the_integers_and_used(self):
        width = self.field("What transition width do you need?")
        wait = lambda: WebDriverWait(self.browser, PATIENCE).until(  # noqa: E731
            lambda b: not self.shown("shortest-length").startswith("searching"))
        self.type_answers(["48000", "B", "3000", "6000", "80", "101"])
        self.retype(width, "600")
        wait()
        self.assertIn("no length up to 2049 reaches 80 dB", self.shown("shortest-length"))
        self.assertIn("the most any reaches is 61.62 dB, at 380 taps", self.shown("shortest-length"))
        WebDriverWait(self.browser, PATIENCE).until(lambda b: "(q15-optimized)" in self.shown("other-targets"))
        self.assertEqual(re.findall(r"\((q31|f32)\) reach it at (\d+) taps", self.shown("other-targets")),
                         [("f32", "418"), ("q31", "418")])
        # Floats reach it: the 16 bits set the floor. The figures say how far short the table falls, and what reaches it.
        self.assertIn("a floor that truncating the taps to 16 bits sets", self.shown("shortest-length"))
        self.assertRegex(self.shown("achieved-attenuation"), r"^[\d.]+ dB: [\d.]+ dB short of the 80 dB asked; .*the "
                         r"floats reach it at 418 taps")
        self.choose_target("f32")  # and the search for that table says the same
        wait()
        self.assertTrue(self.shown("shortest-length").startswith("418 taps: their floats reach"))
        self.choose_target("q15")
        answers = ["48000", "L", "12000", "60", "101"]
        self.type_answers(answers)
        self.retype(width, "1000")
        wait()
        self.assertTrue(self.shown("shortest-length").startswith("191 taps: their 16-bit integers reach 60.02 dB"),
                        self.shown("shortest-length"))
        self.browser.find_element(By.ID, "use-shortest").send_keys(Keys.ENTER)
        self.assertEqual(self.shown("coefficient-text"), console(answers[:-1] + ["191"])[0])
        self.assertEqual(self.shown("achieved-attenuation"), "60.0 dB")  # the figures measure the search's bands
        self.assertEqual(self.browser.switch_to.active_element.get_attribute("id"), "coefficient-count")
        # The optimized integers: fewer taps than the rounded ones (149), and the lengths the optimizer tried.
        self.addCleanup(self.choose_target, "q15")
        self.choose_target("q15-optimized")
        self.type_answers(["44100", "H", "8000", "65", "101"])
        self.retype(width, "1200")
        wait()
        self.assertRegex(self.shown("shortest-length"), r"^147 taps: their optimized 16-bit integers reach 65\.\d\d dB; "
                         r"the optimizer tried every length from \d+ up")
        # At 101 taps, too few for the width, the optimized integers still show more than the rounded ones.
        optimized = float(self.shown("achieved-attenuation").split()[0])
        self.choose_target("q15-rounded")
        self.assertLess(float(self.shown("achieved-attenuation").split()[0]), optimized)
        self.retype(width, "")

    def test_the_labels_are_in_the_page_itself(self):
        with open(PAGE) as page:
            html = page.read()
        prompts = self.browser.execute_script(
            "return window.designModule.fields.map(({id}, field) => [id, window.designModule.prompt(field).trimEnd()])")
        for field_id, prompt in prompts:
            self.assertIn('<label for="%s">%s</label>' % (field_id, prompt), html)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
