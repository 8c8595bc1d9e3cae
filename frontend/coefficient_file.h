// The output of a run: the coefficient table as C source declarations.
#ifndef FIR_DESIGN_COEFFICIENT_FILE_H
#define FIR_DESIGN_COEFFICIENT_FILE_H

#include <cstdio>

#include "frontend/filter_design_record.h"

// Fixed name of the output, in the current working directory.
constexpr const char* COEFFICIENT_FILE_NAME = "filter_coefficients.c";

// Writes the declarations of a design to `file`: the number of coefficients,
// the sample rate, a delay line of N + 2 entries and the table of
// coefficients[0 .. N - 1] (N from 1 to MAX_COEFFICIENTS), one per line.
// Returns false as soon as a write fails.
bool write_coefficient_text(std::FILE* file, const FilterDesign& design,
                            const Coefficients& coefficients);

// Creates or replaces COEFFICIENT_FILE_NAME with the text above, all or
// nothing: the text goes to a temporary file in the same directory, which is
// checked, flushed to disk and then renamed over the old file. A replaced
// file keeps its permission bits; a new one gets 0666 less the umask.
// Returns 0 on success, otherwise the errno of the step that failed; the
// earlier file is then untouched and the temporary removed.
int write_coefficient_file(const FilterDesign& design, const Coefficients& coefficients);

#endif
