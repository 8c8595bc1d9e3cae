#!/usr/bin/env python3
"""The real program typed at a pseudo-terminal of several widths, its screen
drawn by a terminal emulator (pyte, which like xterm never backs up over the
start of a row): what a reader sees after each question must be the answer
the file was made from.

Usage: terminal_screen_test.py FIR_DESIGN_BINARY
Exits 77 (skipped) when pyte is missing (Debian's python3-pyte).
"""
import fcntl
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

try:
    import pyte
except ImportError:
    print("pyte is missing: install Debian's python3-pyte")
    sys.exit(77)

PROGRAM = os.path.abspath(sys.argv[1])
# Scratch folders carry the suite's tag, when CTest gives one, for its count.
SCRATCH = "fir_design_test." + (os.environ["FIR_DESIGN_TEST_RUN"] + "." if os.environ.get("FIR_DESIGN_TEST_RUN") else "")
PROMPTS = ["What is the sample frequency? ", "Choose a filter type ", "What is the cutoff frequency? ",
           "What is the stop band attenuation? ",
           "How many coefficients do you want? (less than or equal to 2049) "]
BS, CTRL_U, CTRL_W = "\x7f", "\x15", "\x17"


def set_width(descriptor, columns):
    fcntl.ioctl(descriptor, termios.TIOCSWINSZ, struct.pack("HHHH", 100, columns, 0, 0))


def read_until(master, output, text, seconds=10):
    """Reads the program's output into `output` until `text` has come."""
    deadline = time.monotonic() + seconds
    while text.encode() not in output:
        ready, _, _ = select.select([master], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            raise AssertionError(f"never saw {text!r}; the screen had {output!r}")
        try:
            chunk = os.read(master, 4096)
        except OSError:
            chunk = b""
        if not chunk:
            raise AssertionError(f"the program ended before {text!r}: {output!r}")
        output += chunk


def read_some(master, output):
    """Adds what the program wrote to `output`; False once it has closed."""
    try:
        chunk = os.read(master, 4096)
    except OSError:  # the terminal's other side has closed
        return False
    output += chunk
    return bool(chunk)


def wait_for_key_mode(master):
    """Waits until the program has the terminal out of line mode."""
    for _ in range(1000):
        if not termios.tcgetattr(master)[3] & termios.ECHO:
            return
        time.sleep(0.01)
    raise AssertionError("the terminal never left line mode")


def wait_until_taken(pid, number, seconds=30):
    """Waits until the signal `number` no longer waits, undelivered, for the
    process `pid` (Linux's /proc; elsewhere at once)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            with open("/proc/%d/status" % pid) as status:
                masks = [int(line.split()[1], 16) for line in status if line.startswith(("SigPnd:", "ShdPnd:"))]
        except OSError:
            return
        if not any(mask >> (number - 1) & 1 for mask in masks):
            return
        time.sleep(0.001)


def pager(read_end):
    """Stands in for less: once the first prompt comes through the pipe, saves
    the terminal's mode; passes everything on; at the end sets the mode saved."""
    chunk = os.read(read_end, 4096)
    saved = termios.tcgetattr(0)
    while chunk:
        os.write(1, chunk)
        chunk = os.read(read_end, 4096)
    termios.tcsetattr(0, termios.TCSANOW, saved)


def type_at_terminal(columns, term, answers, resize_at=None, log=False, raw=None, reported=None, output=None,
                     cont_at=None):
    """Types each answer key by key (Enter as CR) after its prompt shows, in
    a scratch folder; returns the screen's rows and the file written. With
    `resize_at` (question index, key, new width), the terminal is resized
    before that key of that question's keys; with `cont_at` (question index,
    key), the program is sent SIGCONT there, and the typing goes on once it
    has taken it. The terminal reports its width as
    `reported` where given; standard output goes to the terminal as
    /dev/tty, or through `cat` or a stand-in for less, where `output` says
    so; after a pager, the terminal must be in line mode."""
    folder = tempfile.mkdtemp(prefix=SCRATCH, dir="/tmp")
    pid, master = os.forkpty()
    if pid == 0:
        try:
            os.chdir(folder)
            set_width(0, columns if reported is None else reported)
            if output == "/dev/tty":
                os.dup2(os.open("/dev/tty", os.O_WRONLY), 1)
            elif output == "cat":
                read_end, write_end = os.pipe()
                if os.fork() == 0:
                    os.close(write_end)
                    os.dup2(read_end, 0)
                    os.execvp("cat", ["cat"])
                os.dup2(write_end, 1)
                os.close(read_end)
            elif output == "pager":  # the pager leads the session, as a shell would, and outlives the program
                read_end, write_end = os.pipe()
                program = os.fork()
                if program != 0:
                    os.close(write_end)
                    pager(read_end)
                    os._exit(os.waitstatus_to_exitcode(os.waitpid(program, 0)[1]))
                os.dup2(write_end, 1)
                os.close(read_end)
            if log:
                os.dup2(os.open("log", os.O_WRONLY | os.O_CREAT, 0o600), 1)
            os.execve(PROGRAM, ["fir_design"], {"TERM": term} if term else {})
        finally:
            os._exit(127)
    screen = pyte.Screen(columns, 100)
    stream = pyte.ByteStream(screen)
    output_name = output
    output = bytearray()
    try:
        for index, keys in enumerate(answers):
            wait_for_key_mode(master) if log else read_until(master, output, PROMPTS[index])
            for at, key in enumerate(keys + "\r"):
                if cont_at == (index, at):
                    os.kill(pid, signal.SIGCONT)
                    wait_until_taken(pid, signal.SIGCONT)
                if resize_at and resize_at[:2] == (index, at):
                    while select.select([master], [], [], 0.3)[0]:  # all drawn at the old width
                        output += os.read(master, 4096)
                    stream.feed(bytes(output))
                    output.clear()
                    screen.resize(100, resize_at[2])
                    set_width(master, resize_at[2])
                os.write(master, key.encode())
                time.sleep(0.003)
        deadline = time.monotonic() + 10
        while not (ended := os.waitpid(pid, os.WNOHANG))[0] and time.monotonic() < deadline:
            # Its output, until the terminal closes; then only its end (a
            # sanitizer's checks at exit take a while).
            if not (select.select([master], [], [], 0.01)[0] and read_some(master, output)):
                time.sleep(0.01)
        assert ended[0], "the program did not end"
        status = ended[1]
        pid = 0
        while select.select([master], [], [], 0.1)[0] and read_some(master, output):
            pass
        deadline = time.monotonic() + 30
        while output_name == "pager" and read_some(master, output) and time.monotonic() < deadline:
            pass  # until the pager, which holds the terminal, has ended too
        if output_name == "pager":
            assert termios.tcgetattr(master)[3] & termios.ECHO, "the terminal was left out of line mode"
        stream.feed(bytes(output))
        if raw is not None:
            raw.extend(output)
        assert status == 0, f"exit status {status}"
        with open(os.path.join(folder, "filter_coefficients.c")) as file:
            coefficients = file.read()
        if log:
            with open(os.path.join(folder, "log")) as file:
                return screen.display, coefficients, file.read()
        return screen.display, coefficients
    finally:
        if pid:
            os.killpg(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
        os.close(master)
        shutil.rmtree(folder)



def answers_on_screen(rows):
    """The last answer shown after each question, reading the rows as one
    text (a row the answer fills runs on into the next)."""
    text = "".join(rows)
    shown = [re.match(r"\S*", text[text.rfind(prompt) + len(prompt):])[0] if prompt in text else "(no question)"
             for prompt in PROMPTS]
    shown[1] = shown[1][:1]  # the menu shows one key, perhaps in a row's last column
    return shown


def piped_file(answers):
    folder = tempfile.mkdtemp(prefix=SCRATCH, dir="/tmp")
    try:
        subprocess.run([PROGRAM], input="\n".join(answers) + "\n", text=True, cwd=folder,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        path = os.path.join(folder, "filter_coefficients.c")
        return open(path).read() if os.path.exists(path) else "(no file)"
    finally:
        shutil.rmtree(folder)


# Width, TERM, the keys of each answer, the answers a reader must see, and a resize.
# Every prompt wraps at 20 columns, some more than once; these answers fill
# rows to the last column and run on, and each editing key takes them back
# across rows.
WRAPPING = (["8000", "L", "9999999999" + CTRL_U + "1000", "000006" + BS * 2 + "060",
             "123456789012345" + CTRL_W + "10 1" + CTRL_W + CTRL_W + "101"], ["8000", "L", "1000", "0000060", "101"])
# The first answer fills a 33-column row to its last column, then is taken back.
FILLED_ROW = ([BS + "480" + BS * 4 + "8000", "l", "1000", "40", "3"], ["8000", "L", "1000", "40", "3"])

CASES = [
    (66, "xterm", ["48000", "L", "12000", "60", "101" + BS * 3 + "5"], ["48000", "L", "12000", "60", "5"], None),
    (65, "xterm", ["48000", "L", "12000", "60", "1" + BS + "2"], ["48000", "L", "12000", "60", "2"], None),
    (33, "xterm", *FILLED_ROW, None),
    (31, "xterm", ["48" + CTRL_W + "8000", "h", "999" + BS + BS + "9", "40", "3"],
     ["8000", "H", "99", "40", "3"], None),
    (20, "xterm", *WRAPPING, None),
    (22, "xterm", ["16000", "L", "123456789012345" + CTRL_U + "1", "40", "2049" + BS * 4 + "7"],
     ["16000", "L", "1", "40", "7"], None),
    # A terminal that cannot move its cursor: the question again on a fresh line.
    (33, "dumb", *FILLED_ROW, None),
    (20, "", *WRAPPING, None),
    # Narrowed under a typed answer, which then fills more than a row.
    (80, "xterm", ["8000", "L", "1000", "40", "12345678901" + BS * 11 + "3"], ["8000", "L", "1000", "40", "3"],
     (4, 11, 66)),
    # A width the terminal does not report; prompts that reach the screen by
    # another path: the question again on a fresh line.
    (20, "xterm", ["1234567890" + BS * 6 + "8000", "L", "1000", "40", "3"], ["12348000", "L", "1000", "40", "3"],
     None, {"reported": 0}),
    (40, "xterm", ["100000000000" + BS * 3, "L", "1000", "40", "3"], ["100000000", "L", "1000", "40", "3"],
     None, {"output": "/dev/tty"}),
    # Output through a pipe: the terminal's own line mode edits the answers, and a pager
    # that saves and restores the terminal's mode leaves it in line mode.
    (50, "xterm", ["100000000000" + BS * 3, "L", "1000", "40", "3"], ["100000000", "L", "1000", "40", "3"],
     None, {"output": "cat"}),
    (50, "xterm", ["100000000000" + BS * 3, "L", "1000", "40", "3"], ["100000000", "L", "1000", "40", "3"],
     None, {"output": "pager"}),
    # SIGCONT from elsewhere under a typed answer: the screen shows the answer as typed.
    *[(width, "xterm", ["4800000000000" + BS * 5, "L", "12000", "60", "101"], ["48000000", "L", "12000", "60", "101"],
       None, {"cont_at": (0, 3)}) for width in (20, 41, 72)],
]

failures = 0
# Standard output redirected: the screen shows the typed keys, the log the dialogue.
rows, file, log = type_at_terminal(40, "xterm", ["8000", "l", "1000", "40", "12" + BS + "3"], log=True)
if [row.rstrip() for row in rows if row.strip()] != ["8000", "L", "1000", "40", "13"] \
        or file != piped_file(["8000", "L", "1000", "40", "13"]) or "2049) " not in log or "frequency? 8000" in log:
    failures += 1
    print("FAIL with standard output redirected: the screen\n" + "\n".join(rows).rstrip() + "\nthe log\n" + log)
for columns, term, keys, expected, resize, *options in CASES:
    raw = bytearray()
    rows, file = type_at_terminal(columns, term, keys, resize, raw=raw, **(options[0] if options else {}))
    shown = answers_on_screen(rows)
    same_file = file == piped_file(shown)
    # A terminal that cannot move its cursor gets no escape sequence.
    if shown != expected or not same_file or (term in ("dumb", "") and b"\x1b" in raw):
        failures += 1
        print(f"FAIL at {columns} columns, TERM={term!r}, keys {keys!r}: the screen shows {shown!r}, "
              f"expected {expected!r}; the file {'matches' if same_file else 'differs from'} "
              "the screen's answers. The screen:\n" + "\n".join(rows).rstrip())
print(f"{len(CASES) + 1 - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
