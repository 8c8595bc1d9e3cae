#!/usr/bin/env python3
"""The frequency response of a generated "filter_coefficients.c".

As a module: read a coefficient file, compute its gain at any frequency, and
the Kaiser design's promises (transition width, ripple) for a design.
As a program: plot the magnitude response in dB with gnuplot, marking the
pass band, the transition bands and the requested attenuation.

    fir_response.py filter_coefficients.c --type L --edges 12000 \
        --attenuation 60 --output response.svg
"""
import argparse
import math
import re
import subprocess
import sys

Q15 = 32768.0  # the fixed-point filter divides by 2^15


def read_coefficient_file(path):
    """Returns (sample_rate, coefficients) of a generated file."""
    with open(path) as file:
        text = file.read()
    count = int(re.search(r"int number_of_coefficients = (-?\d+);", text).group(1))
    sample_rate = int(re.search(r"long sample_rate = (-?\d+);", text).group(1))
    table = text[text.index("= {") + 3:]
    coefficients = [int(word) for word in re.findall(r"-?\d+", table)]
    if len(coefficients) != count:
        raise ValueError("%s: %d coefficients declared, %d found" % (path, count, len(coefficients)))
    return sample_rate, coefficients


def gain(coefficients, frequency):
    """|H| of the Q15 coefficients at `frequency` in cycles per sample."""
    w = 2 * math.pi * frequency
    re_sum = sum(c * math.cos(w * k) for k, c in enumerate(coefficients))
    im_sum = sum(c * math.sin(w * k) for k, c in enumerate(coefficients))
    return math.hypot(re_sum, im_sum) / Q15


def gain_curve(coefficients, frequencies):
    """|H| at each frequency (cycles per sample) of a symmetric table, fast
    enough for dense grids: the zero-phase amplitude, a cosine series in the
    frequency, summed by Clenshaw's recurrence without a cosine per term."""
    count = len(coefficients)
    middle = count // 2
    if count % 2 == 1:   # c[M] + 2 sum c[M+k] cos(k w)
        series = [coefficients[middle]] + [2 * c for c in coefficients[middle + 1:]]
        scale = 1.0
    else:                # 2 sum c[M+k] cos((k + 1/2) w): odd multiples of w/2
        series = [0] * count
        for k, c in enumerate(coefficients[middle:]):
            series[2 * k + 1] = 2 * c
        scale = 0.5
    gains = []
    for frequency in frequencies:
        x = math.cos(2 * math.pi * frequency * scale)
        b1 = b2 = 0.0
        for a in reversed(series[1:]):
            b1, b2 = a + 2 * x * b1 - b2, b1
        gains.append(abs(series[0] + x * b1 - b2) / Q15)
    return gains


def transition_width(attenuation, count):
    """Kaiser's transition width, in cycles per sample, for A dB and N taps."""
    return (attenuation - 7.95) / (14.36 * (count - 1))


def ripple(attenuation):
    """Kaiser's pass- and stop-band ripple, as a linear gain, for A dB."""
    return 10 ** (-attenuation / 20)


def band_edges(kind, edges, sample_rate):
    """The pass band (low, high) in Hz of a design as the tool derives it."""
    kind = kind.upper()
    if kind == "L":
        return 0, edges[0]
    if kind == "H":
        return edges[0], sample_rate // 2
    return min(edges), max(edges)


def bands(kind, edges, sample_rate, attenuation, count):
    """(pass, stop) lists of (low, high) in cycles per sample, leaving out
    half the transition width on each side of every band edge."""
    low, high = (edge / sample_rate for edge in band_edges(kind, edges, sample_rate))
    half = transition_width(attenuation, count) / 2
    passes = [(low + half if low > 0 else 0.0, high - half if high < 0.5 else 0.5)]
    stops = []
    if low > 0:
        stops.append((0.0, low - half))
    if high < 0.5:
        stops.append((high + half, 0.5))
    return ([b for b in passes if b[0] < b[1]], [b for b in stops if b[0] < b[1]])


def plot(path, kind, edges, attenuation, output, points=2048):
    sample_rate, coefficients = read_coefficient_file(path)
    passes, stops = bands(kind, edges, sample_rate, attenuation, len(coefficients))
    frequencies = [0.5 * i / points for i in range(points + 1)]
    data = ["%g %g" % (f * sample_rate, 20 * math.log10(max(g, 1e-12)))
            for f, g in zip(frequencies, gain_curve(coefficients, frequencies))]
    shading = []
    for low, high in passes:
        shading.append("set object rect from %g, graph 0 to %g, graph 1 fc rgb '#d8f0d8' "
                       "fs solid 0.6 noborder behind" % (low * sample_rate, high * sample_rate))
    for low, high in stops:
        shading.append("set object rect from %g, graph 0 to %g, graph 1 fc rgb '#f4dede' "
                       "fs solid 0.6 noborder behind" % (low * sample_rate, high * sample_rate))
    script = "\n".join([
        "set terminal svg size 800,480 dynamic font 'sans,12' background rgb 'white'",
        "set output '%s'" % output,
        "set title '%d taps, %s, %d dB requested: green pass band, red stop band, "
        "white transition' noenhanced" % (len(coefficients), describe(kind, edges), attenuation),
        "set xlabel 'frequency (Hz)'", "set ylabel 'gain (dB)'", "set grid",
        "set xrange [0:%g]" % (sample_rate / 2), "set yrange [%g:5]" % -(attenuation + 40),
        "set key outside below horizontal",
    ] + shading + [
        "plot '-' with lines lw 1.5 lc rgb '#1060c0' title 'response of the 16-bit coefficients', "
        "%g with lines lw 1.5 lc rgb '#c02020' title 'requested attenuation'" % -attenuation,
        "\n".join(data), "e", ""])
    subprocess.run(["gnuplot"], input=script.encode(), check=True)


def describe(kind, edges):
    names = {"L": "low pass", "H": "high pass", "B": "band pass"}
    return "%s at %s Hz" % (names[kind.upper()], "-".join(str(e) for e in edges))


def main():
    parser = argparse.ArgumentParser(description="Plot the response of a coefficient file.")
    parser.add_argument("file", help="a generated filter_coefficients.c")
    parser.add_argument("--type", required=True, choices="LHBlhb", help="L, H or B, as designed")
    parser.add_argument("--edges", required=True, type=int, nargs="+",
                        help="the cutoff in Hz, or the two band edges")
    parser.add_argument("--attenuation", required=True, type=int, help="the requested dB")
    parser.add_argument("--output", default="response.svg", help="the SVG to write")
    args = parser.parse_args()
    plot(args.file, args.type, args.edges, args.attenuation, args.output)


if __name__ == "__main__":
    sys.exit(main())
