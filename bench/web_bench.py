#!/usr/bin/env python3
"""How long the page takes to show a changed design, in headless Chromium:
the time from a changed answer to the new text, figures and curve in place
(the change's whole handler, then the layout it causes), over 60 changes of
the attenuation, for a 2049-tap and a 101-tap design. Prints the median and
the 95th percentile of each and fails when a 2049-tap change takes more than
one frame at the median or two at the 95th percentile.

    web_bench.py PAGE [SCREENSHOT.png]
"""
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import headless_browser  # noqa: E402

FRAME_MS = 1000 / 60


def change_times(browser, taps):
    return browser.execute_script("""
        const set = (id, value) => {
          const input = document.getElementById(id);
          input.value = value;
          input.dispatchEvent(new Event("input", { bubbles: true }));
        };
        set("coefficient-count", arguments[0]);
        const times = [];
        for (let i = 0; i < 60; i++) {
          const start = performance.now();
          set("attenuation", String(60 + i % 2));
          document.getElementById("coefficient-text").getBoundingClientRect();
          document.getElementById("figures").getBoundingClientRect();
          document.getElementById("plot").getBoundingClientRect();
          times.push(performance.now() - start);
        }
        set("coefficient-count", "101");
        set("attenuation", "60");
        return times;""", str(taps))


def main():
    browser = headless_browser.open_page(sys.argv[1], width=1200, height=1250)
    try:
        figures = {taps: change_times(browser, taps) for taps in (2049, 101)}
        if len(sys.argv) > 2:
            browser.save_screenshot(sys.argv[2])
    finally:
        browser.quit()
    for taps, times in figures.items():
        print("a change of a %d-tap design: median %.1f ms, 95th percentile %.1f ms, slowest %.1f ms over %d changes"
              % (taps, statistics.median(times), statistics.quantiles(times, n=20)[-1], max(times), len(times)))
    times = figures[2049]
    if statistics.median(times) > FRAME_MS or statistics.quantiles(times, n=20)[-1] > 2 * FRAME_MS:
        sys.exit("web_bench.py: a 2049-tap change takes more than one frame (%.1f ms) at the median "
                 "or two at the 95th percentile" % FRAME_MS)


if __name__ == "__main__":
    main()
