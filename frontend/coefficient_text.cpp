#include <cstdio>
#include <cstring>

#include "frontend/coefficient_file.h"

namespace {

// Appends one formatted line; false when it does not fit.
template <typename... Values>
bool append_line(CoefficientText& text, const char* format, Values... values)
{
    char* end = text.characters.data() + text.length;
    const std::size_t room = text.characters.size() - text.length;
    const int written = std::snprintf(end, room, format, values...);
    if (written < 0 || static_cast<std::size_t>(written) >= room) {
        return false;
    }
    text.length += static_cast<std::size_t>(written);
    return true;
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
    bool fits = append_line(text, "int number_of_coefficients = %d;\n", count)
             && append_line(text, "long sample_rate = %d;\n", design.sample_rate)
             && append_line(text, "int delay_buffer[%d];\n", count + 2)
             && append_line(text, "int coefficients[%d] = {\n", count);
    for (int i = 0; fits && i < count - 1; ++i) {
        fits = append_line(text, "          %d,\n", coefficients[i]);
    }
    return fits && append_line(text, "          %d };\n", coefficients[count - 1]);
}

const char* describe_file_error(int error)
{
    return error == NOT_A_REGULAR_FILE ? "not a regular file" : std::strerror(error);
}
