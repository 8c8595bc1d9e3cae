// The design itself, the same wherever the answers come from.
#ifndef FIR_DESIGN_DESIGN_FILTER_H
#define FIR_DESIGN_DESIGN_FILTER_H

#include "core/filter_design_record.h"

// The design of a derived record, in run order: the ideal response, the
// Kaiser window, the symmetric expansion and the fixed-point scaling, from
// arrays.half_response to arrays.coefficients[0 .. N - 1]. Needs the ranges
// the dialogue accepts; allocates nothing and cannot fail.
void design_filter(const FilterDesign& design, DesignArrays& arrays);

#endif
