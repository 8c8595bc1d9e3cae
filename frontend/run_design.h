// The program's entry and its whole control flow: one dialogue, one design,
// one file.
#ifndef FIR_DESIGN_RUN_DESIGN_H
#define FIR_DESIGN_RUN_DESIGN_H

#include "frontend/console.h"
#include "frontend/filter_design_record.h"

// The design of a derived record, in run order: the ideal response, the
// Kaiser window, the symmetric expansion and the fixed-point scaling, from
// arrays.half_response to arrays.coefficients[0 .. N - 1]. Needs the ranges
// the dialogue accepts; allocates nothing and cannot fail.
void design_filter(const FilterDesign& design, DesignArrays& arrays);

// Runs the dialogue on `console`, designs the filter and writes
// "filter_coefficients.c". Returns the exit status: 0 after a completed run,
// 1 when an answer was refused, the input ended, a standard stream failed or
// the file could not be written; no file is written then, and the earlier
// one stays as it was.
int run_design(const Console& console);

// run_design on the standard streams.
int run_design();

#endif
