// Single keys from the keyboard, without echo and without waiting for a
// line. The keys are read from the keyboard itself, so the buffered stream
// that the numeric answers come through is neither read nor disturbed.
// One implementation for each platform: a terminal's descriptor on POSIX
// systems, the console's own key read on Windows.
#ifndef FIR_DESIGN_TERMINAL_KEYS_H
#define FIR_DESIGN_TERMINAL_KEYS_H

#include "frontend/console.h"

// The descriptor of standard input when it is a keyboard (a terminal or a
// console), otherwise -1: the answers then come from a pipe or a file,
// which is then set to be read byte for byte (binary mode on Windows).
int keyboard_on_standard_input();

// Starts reading single keys from the keyboard on terminal_fd. On a POSIX
// terminal: canonical mode and echo off, Enter arriving as carriage return
// (13), Ctrl-C, Ctrl-\ and Ctrl-Z still working; until end_key_reading,
// the signals that end the run (SIGINT, SIGTERM, SIGHUP, SIGQUIT) first
// restore the terminal, then end the run by the same signal, and Ctrl-Z
// suspends with the terminal restored and resumes in key mode. A signal
// ignored when the program started stays ignored. Returns false, changing
// nothing, when the terminal's mode cannot be read or set.
bool begin_key_reading(int terminal_fd);

// Waits for the next key and stores its code in *key; Enter is 13. On the
// console a key that sends two codes (an arrow or a function key) is one
// key, stored as its first code; a terminal sends such keys as several
// bytes, each read as a key of its own. EndOfInput for the end-of-input key
// (Ctrl-D on a terminal, Ctrl-Z on the console) or a hang-up. Only between
// begin_key_reading and end_key_reading.
AnswerStatus read_terminal_key(char* key);

// Puts the keyboard back as begin_key_reading found it.
void end_key_reading();

#endif
