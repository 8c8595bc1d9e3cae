// The tables a firmware target holds for a design, as the fractions its
// filter multiplies by: the console's 16-bit integers for arm_fir_q15,
// 32-bit integers for arm_fir_q31 and single-precision floats for
// arm_fir_f32. The response, the figures, the search and the facts are
// measured on these fractions, so that each target is judged by the numbers
// it actually holds.
#ifndef FIR_DESIGN_TARGET_TABLE_H
#define FIR_DESIGN_TARGET_TABLE_H

#include <array>
#include <cstdint>

#include "core/filter_design_record.h"

enum class Target { Q15, Q31, F32 };
constexpr int TARGET_COUNT = 3;

// A table's taps as fractions of full scale, in filter order.
using TapFractions = std::array<double, MAX_COEFFICIENTS>;

// 2^31: a Q31 value v stands for v / Q31.
constexpr double Q31 = 2147483648.0;

// The target's short name, as the page's link and the drop-in file's name
// use it: "q15", "q31" or "f32".
const char* target_name(Target target);

// A design's tap (a fraction, any value) as a Q31 value: tap × 2^31, rounded
// to nearest (halves away from 0) and saturated to the int32 range.
std::int32_t q31_tap(double tap);

// Fills fractions[0 .. count - 1] with the table `target` holds for the
// design in `arrays` (count from 1 to MAX_COEFFICIENTS): coefficients / 2^15
// for Q15, q31_tap(tap) / 2^31 for Q31, each tap rounded to float for F32.
void target_fractions(Target target, const DesignArrays& arrays, int count, TapFractions& fractions);

#endif
