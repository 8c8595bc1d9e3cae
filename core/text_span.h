// Text put together in a fixed buffer that its caller owns, for the file
// and for the one-line messages, without the C library's formatted output.
#ifndef FIR_DESIGN_TEXT_SPAN_H
#define FIR_DESIGN_TEXT_SPAN_H

#include <cstddef>
#include <cstdint>

struct TextSpan {
    char* characters;      // always closed by a '\0'
    std::size_t capacity;  // bytes at `characters`, the closing '\0' included
    std::size_t length;    // bytes before the '\0'
};

// Appends `characters` (a C string); false, appending nothing, when they do
// not fit.
bool append_text(TextSpan& text, const char* characters);

// Appends `length` bytes from `bytes`; false, appending nothing, when they
// do not fit.
bool append_bytes(TextSpan& text, const char* bytes, std::size_t length);

// Appends a string literal, whose length is known without counting it: the
// coefficient table appends two a line, thousands of lines a run.
template <std::size_t SIZE>
bool append_literal(TextSpan& text, const char (&literal)[SIZE])
{
    return append_bytes(text, literal, SIZE - 1);
}

// Appends `value` in plain decimal, as "%d" writes it; false, appending
// nothing, when it does not fit.
bool append_decimal(TextSpan& text, std::int32_t value);

// The most characters write_decimal writes: a sign and ten digits.
constexpr std::size_t MAX_DECIMAL = 11;

// Writes `value` in plain decimal at `at`, which has room for MAX_DECIMAL
// characters, and returns where it ends; no '\0'. For a caller that has
// made room for many numbers at once.
char* write_decimal(char* at, std::int32_t value);

#endif
