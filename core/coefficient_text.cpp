// The text of the coefficient file, the same on every platform.
#include "core/coefficient_text.h"
#include "core/text_span.h"

#include <cstddef>
#include <cstring>

namespace {

// Appends one line: `before`, the value, `after`.
template <std::size_t BEFORE, std::size_t AFTER>
bool append_line(TextSpan& text, const char (&before)[BEFORE], std::int32_t value, const char (&after)[AFTER])
{
    return append_literal(text, before) && append_decimal(text, value) && append_literal(text, after);
}

}  // namespace

bool format_coefficient_text(const FilterDesign& design, const Coefficients& coefficients,
                             CoefficientText& text)
{
    const int count = design.number_of_coefficients;
    if (count < 1 || count > MAX_COEFFICIENTS) {
        return false;
    }
    TextSpan span{text.characters.data(), text.characters.size(), 0};
    bool fits = append_line(span, "int number_of_coefficients = ", count, ";\n")
             && append_line(span, "long sample_rate = ", design.sample_rate, ";\n")
             && append_line(span, "int delay_buffer[", count + 2, "];\n")
             && append_line(span, "int coefficients[", count, "] = {\n");
    // The table, a line a coefficient, written straight into the buffer:
    // most of a run's output, so no call a piece.
    constexpr char INDENT[] = "          ";
    constexpr std::size_t LONGEST_LINE = sizeof INDENT - 1 + MAX_DECIMAL + 4;  // ... " };\n"
    char* at = span.characters + span.length;
    char* const end = span.characters + span.capacity;
    for (int i = 0; fits && i < count; ++i) {
        fits = static_cast<std::size_t>(end - at) > LONGEST_LINE;
        if (fits) {
            std::memcpy(at, INDENT, sizeof INDENT - 1);
            at = write_decimal(at + sizeof INDENT - 1, coefficients[i]);
            const bool last = i == count - 1;
            std::memcpy(at, last ? " };\n" : ",\n", last ? 4 : 2);
            at += last ? 4 : 2;
        }
    }
    *at = '\0';
    span.length = static_cast<std::size_t>(at - span.characters);
    text.length = span.length;
    return fits;
}

