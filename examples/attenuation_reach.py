#!/usr/bin/env python3
"""Requested against achieved stop-band attenuation of the 16-bit
coefficients, as a Markdown table for the README.

Usage: attenuation_reach.py FIR_DESIGN_BINARY

Each design is a low pass at 10000 Hz of a 48000 Hz sample rate, designed by
the real program through a pipe. The achieved attenuation is the least of
the file's integer coefficients' loss over the stop band, sampled eight
times per side lobe; the stop band starts where the filter response test
starts it (half a Kaiser transition width past the cutoff, for N - 2 taps).
"""
import math
import os
import subprocess
import sys
import tempfile

import fir_response

DESIGNS = [(31, 40), (101, 60), (255, 60), (255, 80), (511, 100), (1023, 80), (1023, 100),
           (2049, 60), (2049, 100)]


def achieved(binary, count, attenuation):
    answers = "48000\nL\n10000\n%d\n%d\n" % (attenuation, count)
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([binary], input=answers.encode(), cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        _, taps = fir_response.read_coefficient_file(os.path.join(folder, "filter_coefficients.c"))
    _, stops = fir_response.bands("L", (10000,), 48000, attenuation, count - 2)
    low, high = stops[0]
    points = int((high - low) * 8 * count) + 1
    grid = [low + (high - low) * i / points for i in range(points + 1)]
    worst = max(fir_response.gain_curve(taps, grid))
    zeros = sum(1 for c in taps if c == 0)
    return -20 * math.log10(worst), zeros


def main():
    binary = os.path.abspath(sys.argv[1])
    print("| taps | requested (dB) | achieved (dB) | taps truncated to 0 |")
    print("|---:|---:|---:|---:|")
    for count, attenuation in DESIGNS:
        loss, zeros = achieved(binary, count, attenuation)
        print("| %d | %d | %.1f | %d |" % (count, attenuation, loss, zeros))


if __name__ == "__main__":
    sys.exit(main())
