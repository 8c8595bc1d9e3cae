// Where the dialogue reads its answers and writes its questions, and how an
// answer read from it turned out.
#ifndef FIR_DESIGN_CONSOLE_H
#define FIR_DESIGN_CONSOLE_H

#include <cstdint>
#include <cstdio>

struct Console {
    std::FILE* input;   // the answers; numeric answers are read through its buffer
    std::FILE* output;  // questions, the menu and the echo of the menu key
    std::FILE* errors;  // refusals, one line each
    int terminal_fd;    // the keyboard for the menu key, or -1 when the answers
                        // come from a pipe or a file (then the key comes from input)
};

enum class AnswerStatus { Accepted, Refused, EndOfInput };

// The standard streams, with the keyboard used when standard input is a terminal.
Console standard_console();

// Reads one integer the way "%d" does (white space, line ends included, is
// skipped; an optional sign; decimal digits) and stores it in *value. The
// answer is Refused unless the digits end at white space or at the end of
// input and fit a signed 32-bit integer, so "12.5", "60dB" and 99999999999
// are refused rather than half read. The character after the digits stays
// unread. EndOfInput when only white space was left.
AnswerStatus read_integer(std::FILE* input, std::int32_t* value);

// Reads the next character of input that is not white space into *key and
// discards the rest of its line. EndOfInput when there is none.
AnswerStatus read_line_key(std::FILE* input, char* key);

// Discards input up to and including the next line feed.
void discard_line(std::FILE* input);

#endif
