// Writing the output of a run, the coefficient text, to the file
// "filter_coefficients.c": one implementation for each platform.
#ifndef FIR_DESIGN_COEFFICIENT_FILE_H
#define FIR_DESIGN_COEFFICIENT_FILE_H

#include "core/coefficient_text.h"

// What write_coefficient_file returns for a file in the output's place that
// is neither a regular file nor a folder (a device or a pipe).
constexpr int NOT_A_REGULAR_FILE = -1;
// What it returns where a file had to be rewritten in place and no place
// took a whole copy of its earlier text first: nothing was written.
constexpr int NO_COPY_KEPT = -2;

// Writes the text of a design to COEFFICIENT_FILE_NAME: formats it, then
// puts it in place with put_coefficient_text. Returns 0 on success,
// otherwise an errno value, NOT_A_REGULAR_FILE or NO_COPY_KEPT.
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

// After a failure that left the file changed (an in-place rewrite cut
// short by a full disk, say): where a whole copy of its earlier text was
// kept; otherwise "". One implementation for each platform.
const char* earlier_text_kept_in();

// After NO_COPY_KEPT: the last place a copy was tried, and why it failed,
// as "/tmp: No space left on device". One implementation for each platform.
const char* copy_place_failure();

#endif
