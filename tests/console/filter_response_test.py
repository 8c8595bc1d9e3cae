#!/usr/bin/env python3
"""The coefficient file at work: for designs of every filter type, both
parities of N and every row of the Kaiser beta table, run fir_design through
a pipe, compile the fixed-point example with the file it wrote, and check
what the compiled filter does with an impulse and with sine waves.

Usage: filter_response_test.py FIR_DESIGN_BINARY EXAMPLE_SOURCE [CC]

Every tolerance follows from formulas, not from observed output:
- Kaiser's design formulas: the transition band is (A - 7.95) / (14.36 (N - 1))
  of the sample rate wide, centred on each band edge, and the ripple in both
  the pass and the stop band is delta = 10^(-A/20). Kaiser gives the formula
  for N to within about 2 taps, so the bands are measured as if N were 2
  smaller, whose transition band is wider. At 20.96 dB and below the window
  is rectangular, whose ripple, 0.09 (21 dB), lies below 10^(-A/20) there.
- 16-bit truncation: every coefficient loses less than one step of 1/32768
  toward zero, so the gain moves by less than N/32768 at any frequency.
- Measurement: the sine has a whole number of cycles in the analysis window,
  so a DFT bin separates it exactly; the input bin is measured from the
  rounded input itself, and the output's rounding of at most one step per
  sample moves the output bin by at most 2 steps, 2/AMPLITUDE of the gain.
"""
import math
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples"))
import fir_response  # noqa: E402

AMPLITUDE = 16384      # half of full scale: no output saturates while gain < 2
WINDOW = 2048          # analysis samples per frequency: bin k is k / WINDOW cycles per sample
PASS_POINTS = 6
STOP_POINTS = 32

# rate, type, edges, A (dB), N: each type, both parities (a high pass only
# odd: an even length forces zero gain at half the sample rate), each beta row.
DESIGNS = [
    (48000, "L", (12000,), 60, 101),
    (8000, "L", (1000,), 20, 64),
    (96000, "l", (10000,), 70, 256),
    (16000, "H", (4000,), 80, 201),
    (32000, "h", (6000,), 40, 31),
    (44100, "B", (3000, 6000), 50, 128),
    (48000, "b", (16000, 8000), 30, 75),
]


def design_and_build(folder, rate, kind, edges, attenuation, count, binary, example, cc):
    answers = "%d\n%s\n%s\n%d\n%d\n" % (rate, kind, "\n".join(map(str, edges)), attenuation, count)
    subprocess.run([binary], input=answers.encode(), cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run([cc, "-std=c89", "-pedantic", "-Wall", "-Werror", "-fsyntax-only",
                    "filter_coefficients.c"], cwd=folder, check=True)
    subprocess.run([cc, "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror", "-O2",
                    "-o", "filter", example, "filter_coefficients.c"], cwd=folder, check=True)
    return fir_response.read_coefficient_file(os.path.join(folder, "filter_coefficients.c"))


def run_filter(folder, samples):
    text = "".join("%d\n" % s for s in samples)
    out = subprocess.run([os.path.join(folder, "filter")], input=text.encode(),
                         capture_output=True, check=True).stdout
    return [int(line) for line in out.split()]


def bin_of(samples, k):
    re_sum = sum(s * math.cos(2 * math.pi * k * n / WINDOW) for n, s in enumerate(samples))
    im_sum = sum(s * math.sin(2 * math.pi * k * n / WINDOW) for n, s in enumerate(samples))
    return math.hypot(re_sum, im_sum)


def measured_gains(folder, count, bins):
    """Gain at each bin, all in one run: each sine lasts N - 1 samples to fill
    the delay line, then WINDOW samples that are analysed."""
    inputs = []
    for k in bins:
        inputs += [round(AMPLITUDE * math.sin(2 * math.pi * k * n / WINDOW))
                   for n in range(count - 1 + WINDOW)]
    outputs = run_filter(folder, inputs)
    gains = []
    for i, k in enumerate(bins):
        start = i * (count - 1 + WINDOW) + count - 1
        gains.append(bin_of(outputs[start:start + WINDOW], k) / bin_of(inputs[start:start + WINDOW], k))
    return gains


def bins_within(band, points):
    low, high = (math.ceil(band[0] * WINDOW), math.floor(band[1] * WINDOW))
    low, high = max(low, 1), min(high, WINDOW // 2 - 1)
    if high < low:
        return []
    step = max(1, (high - low) // (points - 1))
    return sorted(set(list(range(low, high + 1, step)) + [high]))


def check_design(design, binary, example, cc):
    rate, kind, edges, attenuation, count = design
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        _, taps = design_and_build(folder, *design, binary, example, cc)
        if taps != taps[::-1]:
            failures.append("coefficients not symmetric")

        # An impulse of 32767 returns the table, scaled by 32767/32768.
        impulse = run_filter(folder, [32767] + [0] * (count + 1))
        expected = [(32767 * c) // 32768 for c in taps] + [0, 0]
        if impulse != expected:
            failures.append("impulse response differs from the coefficient table")

        passes, stops = fir_response.bands(kind, edges, rate, attenuation, count - 2)
        delta = fir_response.ripple(attenuation)
        margin = count / 32768 + 2 / AMPLITUDE
        pass_bins = [k for band in passes for k in bins_within(band, PASS_POINTS)]
        stop_bins = [k for band in stops for k in bins_within(band, STOP_POINTS)]
        gains = measured_gains(folder, count, pass_bins + stop_bins)
        worst_pass = max(abs(g - 1) for g in gains[:len(pass_bins)])
        worst_stop = max(gains[len(pass_bins):]) if stop_bins else 0.0
        if worst_pass > delta + margin:
            failures.append("pass-band gain off by %.5f, allowed %.5f" % (worst_pass, delta + margin))
        if worst_stop > delta + margin:
            failures.append("stop-band gain %.6f (%.1f dB), allowed %.6f (%.1f dB)" % (
                worst_stop, -20 * math.log10(worst_stop), delta + margin,
                -20 * math.log10(delta + margin)))
        print("%-40s pass ripple %.5f, stop %6.1f dB (allowed %5.1f dB) %s" % (
            "%d Hz %s %s %d dB %d taps" % (rate, kind, edges, attenuation, count), worst_pass,
            -20 * math.log10(max(worst_stop, 1e-9)), -20 * math.log10(delta + margin),
            "ok" if not failures else "; ".join(failures)))
    return not failures


def main():
    binary, example = (os.path.abspath(a) for a in sys.argv[1:3])
    cc = sys.argv[3] if len(sys.argv) > 3 else "cc"
    results = [check_design(design, binary, example, cc) for design in DESIGNS]
    print("%d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
