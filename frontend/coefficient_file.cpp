// The text of the coefficient file, the same on every platform.
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "frontend/coefficient_file.h"

namespace {

// Appends `characters` (a C string); false when they do not fit.
bool append_text(CoefficientText& text, const char* characters)
{
    const std::size_t length = std::strlen(characters);
    if (text.length + length >= text.characters.size()) {
        return false;
    }
    std::memcpy(text.characters.data() + text.length, characters, length + 1);
    text.length += length;
    return true;
}

// Appends `value` in plain decimal, as "%d" writes it; false when it does
// not fit. Written out by hand: the table is most of a run's output, and
// snprintf for each line cost three times the whole design.
bool append_decimal(CoefficientText& text, std::int32_t value)
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
    if (text.length + count >= text.characters.size()) {
        return false;
    }
    while (count > 0) {
        text.characters[text.length++] = reversed[--count];
    }
    text.characters[text.length] = '\0';
    return true;
}

// Appends one line: `before`, the value, `after`.
bool append_line(CoefficientText& text, const char* before, std::int32_t value, const char* after)
{
    return append_text(text, before) && append_decimal(text, value) && append_text(text, after);
}

}  // namespace

bool format_coefficient_text(const FilterDesign& design, const Coefficients& coefficients,
                             CoefficientText& text)
{
    const int count = design.number_of_coefficients;
    if (count < 1 || count > MAX_COEFFICIENTS) {
        return false;
    }
    text.length = 0;
    bool fits = append_line(text, "int number_of_coefficients = ", count, ";\n")
             && append_line(text, "long sample_rate = ", design.sample_rate, ";\n")
             && append_line(text, "int delay_buffer[", count + 2, "];\n")
             && append_line(text, "int coefficients[", count, "] = {\n");
    for (int i = 0; fits && i < count - 1; ++i) {
        fits = append_line(text, "          ", coefficients[i], ",\n");
    }
    return fits && append_line(text, "          ", coefficients[count - 1], " };\n");
}

int write_coefficient_file(const FilterDesign& design, const Coefficients& coefficients)
{
    static CoefficientText text;  // 47 KiB, off the stack
    if (!format_coefficient_text(design, coefficients, text)) {
        return EOVERFLOW;
    }
    return put_coefficient_text(text);
}

const char* describe_file_error(int error)
{
    return error == NOT_A_REGULAR_FILE ? "not a regular file" : std::strerror(error);
}
