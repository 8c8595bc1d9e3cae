// The program's entry and its whole control flow: one dialogue, one design,
// one file.
#ifndef FIR_DESIGN_RUN_DESIGN_H
#define FIR_DESIGN_RUN_DESIGN_H

#include "console/console.h"
#include "core/design_filter.h"

// Runs the dialogue on `console`, designs the filter and writes
// "filter_coefficients.c". Returns the exit status: 0 after a completed run,
// 1 when an answer was refused, the input ended, a standard stream failed or
// the file could not be written; no file is written then, and the earlier
// one stays as it was.
int run_design(const Console& console);

// run_design on the standard streams.
int run_design();

#endif
