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

// Appends `value` in plain decimal, as "%d" writes it; false, appending
// nothing, when it does not fit.
bool append_decimal(TextSpan& text, std::int32_t value);

#endif
