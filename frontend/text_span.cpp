#include "frontend/text_span.h"

#include <cstring>

bool append_text(TextSpan& text, const char* characters)
{
    const std::size_t length = std::strlen(characters);
    if (text.length + length >= text.capacity) {
        return false;
    }
    std::memcpy(text.characters + text.length, characters, length + 1);
    text.length += length;
    return true;
}

// Written out by hand: the coefficient table is most of a run's output, and
// snprintf for each line cost three times the whole design.
bool append_decimal(TextSpan& text, std::int32_t value)
{
    char reversed[12];
    std::size_t count = 0;
    std::int64_t magnitude = value < 0 ? -std::int64_t{value} : value;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (value < 0) {
        reversed[count++] = '-';
    }
    if (text.length + count >= text.capacity) {
        return false;
    }
    while (count > 0) {
        text.characters[text.length++] = reversed[--count];
    }
    text.characters[text.length] = '\0';
    return true;
}
