#!/usr/bin/env python3
"""Requested against achieved stop-band attenuation of the 16-bit
coefficients, as a Markdown table for docs/filter_design.md.

Usage: attenuation_reach.py FIR_DESIGN_BINARY

Each design is a low pass at 10000 Hz of a 48000 Hz sample rate, designed by
the real program through a pipe. The stop band starts half of Kaiser's
transition width, (A - 7.95) / (14.36 (N - 1)) of the sample rate, above the
cutoff. The gain is read from a 2^20-point FFT of the coefficients, a bin
every 0.046 Hz, and the achieved attenuation is the least loss over the
stop band's bins. The last column is what the same design would reach with
each tap rounded to nearest instead of truncated toward zero, from the taps
in double precision of the second implementation in tests/.
"""
import cmath
import math
import os
import subprocess
import sys
import tempfile

import fir_response

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import reference_design  # noqa: E402

SAMPLE_RATE, CUTOFF = 48000, 10000
FFT_SIZE = 1 << 20
DESIGNS = [(31, 40), (101, 60), (255, 60), (255, 80), (511, 100), (1023, 80), (1023, 100),
           (2049, 60), (2049, 100)]


def fft(values):
    """The discrete Fourier transform of a list whose length is a power of 2
    (iterative radix 2, one slice of the list per twiddle factor)."""
    n = len(values)
    bits = n.bit_length() - 1
    reversed_index = [0] * n
    for i in range(1, n):
        reversed_index[i] = (reversed_index[i >> 1] >> 1) | ((i & 1) << (bits - 1))
    a = [complex(values[r]) for r in reversed_index]
    size = 2
    while size <= n:
        half = size // 2
        for k in range(half):
            w = cmath.exp(-2j * math.pi * k / size)
            even, odd = a[k::size], [w * x for x in a[k + half::size]]
            a[k::size] = [e + o for e, o in zip(even, odd)]
            a[k + half::size] = [e - o for e, o in zip(even, odd)]
        size *= 2
    return a


def stop_band_loss(taps, count, attenuation):
    """The least loss in dB over the stop band, of Q15 taps."""
    start = CUTOFF / SAMPLE_RATE + fir_response.transition_width(attenuation, count) / 2
    spectrum = fft(list(taps) + [0] * (FFT_SIZE - len(taps)))
    first = math.ceil(start * FFT_SIZE)
    worst = max(abs(x) for x in spectrum[first:FFT_SIZE // 2 + 1]) / fir_response.Q15
    return -20 * math.log10(worst)


def written_taps(binary, count, attenuation):
    answers = "%d\nL\n%d\n%d\n%d\n" % (SAMPLE_RATE, CUTOFF, attenuation, count)
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([binary], input=answers.encode(), cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        _, taps = fir_response.read_coefficient_file(os.path.join(folder, "filter_coefficients.c"))
    return taps


def main():
    binary = os.path.abspath(sys.argv[1])
    print("| taps | requested (dB) | achieved (dB) | taps truncated to 0 | rounded to nearest (dB) |")
    print("|---:|---:|---:|---:|---:|")
    for count, attenuation in DESIGNS:
        truncated = written_taps(binary, count, attenuation)
        exact = reference_design.design_taps(SAMPLE_RATE, "L", (CUTOFF,), attenuation, count)
        rounded = [round(v * 32767.9) for v in exact]
        print("| %d | %d | %.1f | %d | %.1f |" % (
            count, attenuation, stop_band_loss(truncated, count, attenuation),
            truncated.count(0), stop_band_loss(rounded, count, attenuation)))


if __name__ == "__main__":
    sys.exit(main())
