// The output of a run: the coefficient table as C source declarations, in
// the file "filter_coefficients.c". The text is the same on every platform;
// writing it is done by one implementation for each.
#ifndef FIR_DESIGN_COEFFICIENT_FILE_H
#define FIR_DESIGN_COEFFICIENT_FILE_H

#include <array>
#include <cstddef>

#include "frontend/filter_design_record.h"

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

// What write_coefficient_file returns for a file in the output's place that
// is neither a regular file nor a folder (a device or a pipe).
constexpr int NOT_A_REGULAR_FILE = -1;

// Writes the text of a design to COEFFICIENT_FILE_NAME: formats it, then
// puts it in place with put_coefficient_text. Returns 0 on success,
// otherwise an errno value or NOT_A_REGULAR_FILE.
int write_coefficient_file(const FilterDesign& design, const Coefficients& coefficients);

// Puts a prepared text in COEFFICIENT_FILE_NAME, whole or not at all, as
// opening the file for writing would: a file its user may not write is
// refused, a symbolic link is followed (the link stays and its final target
// gets the text), and a file that cannot be replaced is rewritten in its
// place. Returns 0 on success, otherwise an errno value or
// NOT_A_REGULAR_FILE; the earlier file is then untouched and no temporary
// file is left. One implementation for each platform.
int put_coefficient_text(const CoefficientText& text);

// The reason for a failure that write_coefficient_file returned, as one
// phrase for the error line.
const char* describe_file_error(int error);

#endif
