#!/usr/bin/env python3
"""How long the page takes to show a changed 2049-tap design, in headless
Chromium: the time from a changed answer to the new text, figures and curve
in place (the change's whole handler, then the layout it causes), over 60
changes of the attenuation. Prints the median and fails above one frame.

    web_bench.py PAGE [SCREENSHOT.png]
"""
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import headless_browser  # noqa: E402

FRAME_MS = 1000 / 60


def main():
    browser = headless_browser.open_page(sys.argv[1], width=1200, height=1250)
    try:
        times = browser.execute_script("""
            const set = (id, value) => {
              const input = document.getElementById(id);
              input.value = value;
              input.dispatchEvent(new Event("input", { bubbles: true }));
            };
            set("coefficient-count", "2049");
            const times = [];
            for (let i = 0; i < 60; i++) {
              const start = performance.now();
              set("attenuation", String(60 + i % 2));
              document.getElementById("coefficient-text").getBoundingClientRect();
              document.getElementById("figures").getBoundingClientRect();
              times.push(performance.now() - start);
            }
            set("coefficient-count", "101");
            set("attenuation", "60");
            return times;""")
        if len(sys.argv) > 2:
            browser.save_screenshot(sys.argv[2])
    finally:
        browser.quit()
    median = statistics.median(times)
    print("a change of a 2049-tap design: median %.1f ms, fastest %.1f ms, slowest %.1f ms over %d changes"
          % (median, min(times), max(times), len(times)))
    if median > FRAME_MS:
        sys.exit("web_bench.py: the median exceeds one frame (%.1f ms)" % FRAME_MS)


if __name__ == "__main__":
    main()
