// The output of a design: the coefficient table as C source declarations,
// the text of the file "filter_coefficients.c", the same on every platform
// and for every front end.
#ifndef FIR_DESIGN_COEFFICIENT_TEXT_H
#define FIR_DESIGN_COEFFICIENT_TEXT_H

#include <array>
#include <cstddef>

#include "core/filter_design_record.h"

// Fixed name of the output, in the current working directory.
constexpr const char* COEFFICIENT_FILE_NAME = "filter_coefficients.c";

// Longest text of a design: four declaration lines of at most 40 characters
// and MAX_COEFFICIENTS lines of ten spaces, a signed 32-bit integer (at most
// 11 characters) and ",\n", the last with " };\n" instead.
constexpr std::size_t MAX_COEFFICIENT_TEXT = 4 * 40 + MAX_COEFFICIENTS * (10 + 11 + 2) + 2;

// The text of a design, prepared in full before anything is written; lines
// end in "\n", which a text-mode writer turns into the platform's line end.
struct CoefficientText {
    std::array<char, MAX_COEFFICIENT_TEXT + 1> characters;  // with a closing '\0'
    std::size_t length;
};

// Fills `text` with the declarations of a design: the number of
// coefficients, the sample rate, a delay line of N + 2 entries and the table
// of coefficients[0 .. N - 1] (N from 1 to MAX_COEFFICIENTS), one per line.
// Returns false, for a count outside that range, when the text would not fit.
bool format_coefficient_text(const FilterDesign& design, const Coefficients& coefficients,
                             CoefficientText& text);

#endif
