// Where the dialogue reads its answers and writes its questions, and how an
// answer read from it turned out.
#ifndef FIR_DESIGN_CONSOLE_H
#define FIR_DESIGN_CONSOLE_H

#include <cstdint>
#include <cstdio>

#include "core/answer_line.h"

struct Console {
    std::FILE* input;   // the answers, one a line, read through its buffer
    std::FILE* output;  // questions, the menu and the echo of the menu key
    std::FILE* errors;  // refusals and failures, one line each
    int terminal_fd;    // the keyboard every answer is typed at, key by key, or -1
                        // when the answers are read as lines from input
    bool asks_again;    // the answers are typed at a keyboard (key by key, or as
                        // lines the terminal echoes): a refused one is asked again
};

// The standard streams, with the keyboard used when standard input is one.
Console standard_console();

// Shows everything written to console.output so far. A failed write is
// reported on console.errors ("cannot write to standard output") and gives
// false: the run cannot go on unseen.
bool flush_output(const Console& console);

// One line on console.errors for a standard stream that failed: "cannot
// <action>: <errno's reason>".
void report_stream_failure(const Console& console, const char* action);

// Shows a menu key as the menu echoes it: upper-cased when it is printable,
// Enter (13) as itself, which only moves to the start of the line, and any
// other key not at all, since it would act on the terminal rather than
// show. False when the output fails, as flush_output.
bool echo_menu_key(const Console& console, char key);

// Reads one answer line holding one integer and stores it in *value. Blank
// lines before it are skipped, and so is a byte-order mark (U+FEFF in
// UTF-8, which editors put at the start of a file). The line may hold
// spaces or tabs around the number, an optional sign, decimal digits that
// fit a signed 32-bit integer, and may end in CR LF, LF or the end of
// input; anything else on it refuses the answer ("12.5", "60 dB",
// 99999999999). The whole line is consumed either way. EndOfInput when
// only blank lines were left.
AnswerStatus read_integer(std::FILE* input, std::int32_t* value);

// Reads a line holding one key, with spaces or tabs around it, into *key,
// after skipping blank lines. Refused when the line holds more; the whole
// line is consumed either way. EndOfInput when no line was left.
AnswerStatus read_line_key(std::FILE* input, char* key);

#endif
