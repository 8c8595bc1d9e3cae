#include "core/text_span.h"

#include <cstring>

bool append_bytes(TextSpan& text, const char* bytes, std::size_t length)
{
    if (text.length + length >= text.capacity) {
        return false;
    }
    std::memcpy(text.characters + text.length, bytes, length);
    text.length += length;
    text.characters[text.length] = '\0';
    return true;
}

bool append_text(TextSpan& text, const char* characters)
{
    return append_bytes(text, characters, std::strlen(characters));
}

// Written out by hand: the coefficient table is most of a run's output, and
// snprintf for each line cost three times the whole design.
char* write_decimal(char* at, std::int32_t value)
{
    char reversed[MAX_DECIMAL];
    std::size_t count = 0;
    // In 32 bits, which divide by 10 faster; -2147483648 fits as unsigned.
    std::uint32_t magnitude = value < 0 ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (value < 0) {
        reversed[count++] = '-';
    }
    while (count > 0) {
        *at++ = reversed[--count];
    }
    return at;
}

bool append_decimal(TextSpan& text, std::int32_t value)
{
    char digits[MAX_DECIMAL];
    const char* const end = write_decimal(digits, value);
    return append_bytes(text, digits, static_cast<std::size_t>(end - digits));
}
