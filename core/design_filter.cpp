#include "core/design_filter.h"

#include "core/filter_stages.h"
#include "core/fixed_point.h"

void design_filter(const FilterDesign& design, DesignArrays& arrays)
{
    compute_ideal_response(design, arrays.half_response);
    apply_kaiser_window(design, arrays.half_response, arrays.kaiser_window);
    expand_symmetric_response(design, arrays.half_response, arrays.impulse_response);
    quantize_coefficients(design, arrays.impulse_response, arrays.coefficients);
}
