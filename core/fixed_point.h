// The step from the double-precision response to integer coefficients.
#ifndef FIR_DESIGN_FIXED_POINT_H
#define FIR_DESIGN_FIXED_POINT_H

#include "core/filter_design_record.h"

// Scale from response to coefficient: 1.0 becomes 32767 after truncation.
constexpr double FIXED_POINT_SCALE = 32767.9;

// The fixed-point filter divides each sum of products by 2^15: a
// coefficient c has the gain c / Q15.
constexpr double Q15 = 32768.0;

// The range of a 16-bit sample or tap, the integers a Q15 value can be.
constexpr std::int32_t Q15_MIN = -32768;
constexpr std::int32_t Q15_MAX = 32767;

// coefficients[i] = impulse_response[i] * FIXED_POINT_SCALE truncated toward
// zero, for i from 0 to N - 1 (N from 1 to MAX_COEFFICIENTS). No rounding and
// no clamping to 16 bits; every product must fit a signed 32-bit integer,
// which holds for any response of magnitude up to 65535.
void quantize_coefficients(const FilterDesign& design, const ImpulseResponse& impulse_response,
                           Coefficients& coefficients);

#endif
