// The text of the coefficient file, the same on every platform.
#include "frontend/coefficient_file.h"
#include "frontend/text_span.h"

namespace {

// Appends one line: `before`, the value, `after`.
bool append_line(TextSpan& text, const char* before, std::int32_t value, const char* after)
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
    TextSpan span{text.characters.data(), text.characters.size(), 0};
    bool fits = append_line(span, "int number_of_coefficients = ", count, ";\n")
             && append_line(span, "long sample_rate = ", design.sample_rate, ";\n")
             && append_line(span, "int delay_buffer[", count + 2, "];\n")
             && append_line(span, "int coefficients[", count, "] = {\n");
    for (int i = 0; fits && i < count - 1; ++i) {
        fits = append_line(span, "          ", coefficients[i], ",\n");
    }
    fits = fits && append_line(span, "          ", coefficients[count - 1], " };\n");
    text.length = span.length;
    return fits;
}

