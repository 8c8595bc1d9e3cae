// The one form an answer line may take, wherever it is typed: blanks, an
// optional sign, decimal digits that fit a signed 32-bit integer, blanks.
// The line is judged a character at a time, so that a line of any length
// is judged without being stored.
#ifndef FIR_DESIGN_ANSWER_LINE_H
#define FIR_DESIGN_ANSWER_LINE_H

#include <cstddef>
#include <cstdint>

// How reading an answer turned out. StreamFailed: reading the input or
// writing the output failed; errno tells why.
enum class AnswerStatus { Accepted, Refused, EndOfInput, StreamFailed };

// An answer line read so far. Start from a value-initialised record.
struct AnswerLine {
    enum class Part { Before, Sign, Digits, After, Other };
    Part part = Part::Before;
    bool negative = false;
    std::int64_t magnitude = 0;  // saturates just past the int32 range
};

// Adds the next character of the line (never its line end). Before the
// number any white space but a line end is passed over; after it only
// spaces, tabs and a carriage return (of a CR LF line end) may follow.
void add_to_answer(AnswerLine& line, char c);

// Accepted, with the number in *value, when the line holds one integer of
// the signed 32-bit range; Refused otherwise, a blank line included.
AnswerStatus finish_answer(const AnswerLine& line, std::int32_t* value);

// The same for a whole line at once, `length` characters from `text`
// (typed at a keyboard or into a field), except that a line holding nothing
// but white space is no answer yet: EndOfInput.
AnswerStatus parse_answer(const char* text, std::size_t length, std::int32_t* value);

// Whether `c` may follow the answer on its line: a space, a tab, or the CR
// of a CR LF line end.
bool is_trailing_blank(char c);

// A menu line, `length` characters from `text`: one key, with white space
// before it and blanks after it. Accepted with the key in *key; Refused when
// the line holds more; EndOfInput when it holds nothing but white space.
AnswerStatus parse_menu_line(const char* text, std::size_t length, char* key);

#endif
