// Single keys from a terminal, without echo and without waiting for a line.
// The keys are read from the terminal's descriptor itself, so the buffered
// stream that the numeric answers come through is neither read nor disturbed.
#ifndef FIR_DESIGN_TERMINAL_KEYS_H
#define FIR_DESIGN_TERMINAL_KEYS_H

#include "frontend/console.h"

// Switches the terminal on terminal_fd out of canonical mode and echo, and
// Enter to arrive as carriage return (13); Ctrl-C, Ctrl-\ and Ctrl-Z keep
// working. Until end_key_reading, the signals that end the run (SIGINT,
// SIGTERM, SIGHUP, SIGQUIT) first restore the terminal, then end the run
// by the same signal, and Ctrl-Z suspends with the terminal restored and
// resumes in key mode. Returns false, changing nothing, when the terminal's
// mode cannot be read or set.
bool begin_key_reading(int terminal_fd);

// Waits for the next key and stores its code in *key. EndOfInput for the
// terminal's end-of-file key (Ctrl-D) or a hang-up. Only between
// begin_key_reading and end_key_reading.
AnswerStatus read_terminal_key(char* key);

// Puts the terminal back as begin_key_reading found it and removes the
// signal handlers.
void end_key_reading();

#endif
