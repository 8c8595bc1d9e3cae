#!/usr/bin/env python3
"""A second, independent implementation of the design, written from the
formulas rather than from the C++ code, that checks the program's file byte
for byte over many designs.

Usage: reference_design.py FIR_DESIGN_BINARY
Runs the program through a pipe in a scratch folder for each design below
and compares its "filter_coefficients.c" with the one computed here. A
Windows build (a program ending in .exe) must end every line in CR LF; it
is started through FIR_DESIGN_EMULATOR (wine) when that is set.
Python floats are IEEE doubles and math's sin, cos, exp, sqrt and pow are
the C library's, so both sides must agree to the last bit.
"""
import math
import os
import random
import subprocess
import sys
import tempfile

PI = 3.14159265359


def beta_for(attenuation):
    a = float(attenuation)
    if a > 50:
        return 0.1102 * (a - 8.7)
    if a > 20.96:
        return 0.58417 * math.pow(a - 20.96, 0.4) + 0.07886 * (a - 20.96)
    return 0.0


def i0(x):
    ax = abs(x)
    if ax < 3.75:
        y = (x / 3.75) * (x / 3.75)
        p = 0.0045813
        for c in (0.0360768, 0.2659732, 1.2067492, 3.0899424, 3.5156229, 1.0):
            p = c + y * p
        return p
    y = 3.75 / ax
    p = 0.00392377
    for c in (-0.01647633, 0.02635537, -0.02057706, 0.00916281, -0.00157565,
              0.00225319, 0.01328592, 0.39894228):
        p = c + y * p
    return (math.exp(ax) / math.sqrt(ax)) * p


def design_taps(rate, kind, edges, attenuation, n):
    """The n taps of a design in double precision, before scaling."""
    if kind == 'L':
        low, high = 0, edges[0]
    elif kind == 'H':
        low, high = edges[0], rate // 2
    else:
        low, high = edges
    f1, f2 = low / rate, high / rate
    half = (n + 1) // 2
    offsets = [i if n % 2 else i + 0.5 for i in range(half)]
    h = []
    for n_i in offsets:
        if n_i == 0:
            h.append((f2 - f1) + (f2 - f1))
        else:
            t = n_i * PI
            h.append(math.cos(t * (f1 + f2)) * ((math.sin((f2 - f1) * t) / t) * 2))
    beta = beta_for(attenuation)
    span = float((n - 1) * (n - 1))
    h = [v * (i0(beta * math.sqrt(1 - (4 * o) * o / span)) / i0(beta))
         for v, o in zip(h, offsets)]
    return h[::-1] + h[(1 if n % 2 else 0):]


def expected_file(rate, kind, edges, attenuation, n):
    ints = [int(v * 32767.9) for v in design_taps(rate, kind, edges, attenuation, n)]
    lines = ["int number_of_coefficients = %d;" % n, "long sample_rate = %d;" % rate,
             "int delay_buffer[%d];" % (n + 2), "int coefficients[%d] = {" % n]
    lines += ["          %d," % v for v in ints[:-1]] + ["          %d };" % ints[-1]]
    return "\n".join(lines) + "\n"


DESIGNS = [
    (48000, 'L', (12000,), 60, 101), (48000, 'l', (1000,), 40, 2), (8000, 'L', (4000,), 0, 3),
    (8001, 'H', (1,), 20, 4), (48000, 'h', (23999,), 21, 2049), (16000, 'H', (0,), 50, 2048),
    (44100, 'B', (300, 3400), 51, 255), (96000, 'b', (20000, 5000), 80, 64),
    (192000, 'B', (0, 96000), 120, 1025), (2, 'L', (1,), 6449, 17), (7, 'H', (2,), 35, 33),
    (24000, 'B', (11999, 12000), 100, 2047), (2147483647, 'L', (1073741823,), 90, 999),
]


def random_designs(count):
    """Designs spread over every answer range, the same ones on every run."""
    pick = random.Random(2049)
    designs = []
    for _ in range(count):
        rate = pick.choice([8000, 16000, 24000, 44100, 48000, 96000, 192000, pick.randint(2, 10**6)])
        kind = pick.choice('LHBlhb')
        nyquist = rate // 2
        if kind in 'Ll':
            edges = (pick.randint(1, nyquist),)
        elif kind in 'Hh':
            edges = (pick.randint(0, nyquist - 1),)
        else:
            low = pick.randint(0, nyquist)
            edges = (low, pick.choice([x for x in (pick.randint(0, nyquist), nyquist, 0) if x != low]
                                      or [low + 1]))
        attenuation = pick.choice([0, 20, 21, 50, 51, pick.randint(0, 150), 6449])
        designs.append((rate, kind, edges, attenuation, pick.randint(2, 2049)))
    return designs


def main():
    binary = os.path.abspath(sys.argv[1])
    emulator = os.environ.get("FIR_DESIGN_EMULATOR")
    command = [emulator, binary] if emulator else [binary]
    line_end = "\r\n" if binary.endswith(".exe") else "\n"
    failed = 0
    designs = DESIGNS + random_designs(150)
    for rate, kind, edges, attenuation, n in designs:
        answers = "%d\n%s\n%s\n%d\n%d\n" % (rate, kind, "\n".join(map(str, edges)), attenuation, n)
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "out"), "w") as out:
                run = subprocess.run(command, input=answers.encode(), cwd=folder,
                                     stdout=out, stderr=out, timeout=60)
            path = os.path.join(folder, "filter_coefficients.c")
            got = open(path, "rb").read().decode() if os.path.exists(path) else "(no file)"
        want = expected_file(rate, kind.upper(), edges, attenuation, n).replace("\n", line_end)
        if run.returncode != 0 or got != want:
            failed += 1
            print("MISMATCH for %r: exit %d" % (answers, run.returncode))
    print("%d passed, %d failed" % (len(designs) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
