// Single keys from the keyboard, without echo and without waiting for a
// line: every answer typed at a terminal or console is read through here,
// key by key, and echoed by the dialogue itself. One implementation for each
// platform: a terminal's descriptor on POSIX systems, the console's own key
// read on Windows.
#ifndef FIR_DESIGN_TERMINAL_KEYS_H
#define FIR_DESIGN_TERMINAL_KEYS_H

#include <cstdio>

#include "core/answer_line.h"

// The descriptor of standard input when it is a keyboard (a terminal or a
// console) whose keys the run may read one by one, otherwise -1: the
// answers then come as lines, from a pipe or a file, which is then set to
// be read byte for byte (binary mode on Windows), or from a terminal whose
// standard output goes through a pipe, where another program (a pager)
// shares the terminal and would save and restore the run's key mode as its
// own: the terminal is then left in its own line mode, which echoes keys.
int keyboard_on_standard_input();

// Whether standard input is a keyboard, read key by key or line by line.
bool standard_input_is_a_keyboard();

// Starts reading single keys from the keyboard on terminal_fd, for the
// whole dialogue. On a POSIX terminal: canonical mode and echo off, Enter
// arriving as carriage return (13), Ctrl-C, Ctrl-\ and Ctrl-Z still
// working; until end_key_reading, each signal that would end the run
// (ENDING_SIGNALS) first restores the terminal, then ends the run by the
// same signal; Ctrl-Z, SIGTTIN and SIGTTOU stop the run with the terminal
// restored, and after any stop (SIGSTOP too) the run takes key mode again
// once it is in the foreground (a mode a shell then gave back is the one
// restored at the end). A stop the kernel discards changes nothing. A
// signal ignored when the program started stays ignored, and a write to
// the screen that a handled signal interrupts goes on.
// Returns false, changing nothing, when the terminal's mode cannot be read
// or set.
bool begin_key_reading(int terminal_fd);

// What a key does, as the terminal's settings (or the console) name it.
enum class KeyRole {
    Character,   // an ordinary key: `code` is its character
    Erase,       // Backspace
    EraseWord,   // Ctrl-W
    EraseLine,   // Ctrl-U (Esc on the console)
    EndOfInput,  // Ctrl-D (Ctrl-Z on the console)
    Sequence,    // a key that sends several codes (an arrow, a function key)
    Resumed,     // not a key: the run went on after a suspension (Ctrl-Z)
    Resized,     // not a key: the terminal's width may have changed
};

struct TerminalKey {
    KeyRole role;
    char code;  // the key's first code, whatever its role; Enter is 13
};

// Waits for the next key and stores it in *key. EndOfInput when the
// terminal hung up; StreamFailed, with errno set, when it cannot be read.
// Only between begin_key_reading and end_key_reading.
AnswerStatus read_terminal_key(TerminalKey* key);

// Puts the keyboard back as begin_key_reading found it.
void end_key_reading();

// The keyboard's screen, between begin_key_reading and end_key_reading:
// its width in columns (0 when it does not say), and whether it moves its
// cursor on the usual escape sequences (cursor up, forward, erase below),
// which a dumb terminal (TERM unset, empty or "dumb") and the Windows
// console's plain output do not.
int terminal_columns();
bool terminal_moves_cursor();

// Where the keys are echoed, and what is known of that screen.
struct EchoScreen {
    std::FILE* stream;   // `output`, or another stream, which is the caller's to close
    bool prompts_shown;  // the prompts (written to `output`) stand on that screen too
    bool place_known;    // where the cursor stands follows from what was written
};

// The screen for the keys, between begin_key_reading and end_key_reading:
// `output` when it writes to the keyboard's own screen; else that screen
// opened for writing (standard output redirected still lets the user see
// what they type), or the keyboard's own descriptor where it was opened for
// writing. Where none can be written, the keys are shown nowhere and a line
// on standard error says so; they never go into `output`. Prompts that go
// to a pipe or another terminal may reach the screen by another path (a
// pager, `| cat`), so the place of the cursor is then unknown.
EchoScreen terminal_echo_screen(std::FILE* output);

#endif
