// The tables a firmware target holds for a design, as the fractions its
// filter multiplies by: 16-bit integers for arm_fir_q15 (the console's,
// truncated; rounded to nearest; or optimized from the rounded ones),
// 32-bit integers for arm_fir_q31 and single-precision floats for
// arm_fir_f32. The response, the figures, the search and the facts are
// measured on these fractions, so that each table is judged by the numbers
// it actually holds.
#ifndef FIR_DESIGN_TARGET_TABLE_H
#define FIR_DESIGN_TARGET_TABLE_H

#include <array>
#include <cstdint>

#include "core/filter_design_record.h"

enum class Target { Q15, Q15_ROUNDED, Q15_OPTIMIZED, Q31, F32 };
constexpr int TARGET_COUNT = 5;

// The type of the library's filter a table is for.
enum class TargetType { Q15, Q31, F32 };

// A table's taps as fractions of full scale, in filter order.
using TapFractions = std::array<double, MAX_COEFFICIENTS>;

// 2^31: a Q31 value v stands for v / Q31.
constexpr double Q31 = 2147483648.0;

// The table's name in the page's link: "q15" (the console's integers),
// "q15-rounded", "q15-optimized", "q31" or "f32".
const char* target_name(Target target);

TargetType target_type(Target target);

// The type's name, as the library's functions carry it: "q15", "q31", "f32".
const char* type_name(TargetType type);

// A design's tap (a fraction, any value) as a Q15 value: tap x 2^15, rounded
// to nearest (halves away from 0) and saturated to the int16 range, so that
// a tap of 1.0 becomes 32767.
std::int32_t q15_tap(double tap);

// A design's tap as a Q31 value: tap x 2^31, rounded to nearest (halves
// away from 0) and saturated to the int32 range.
std::int32_t q31_tap(double tap);

// Fills fractions[0 .. count - 1] with the table `target` holds for the
// design in `arrays` (count from 1 to MAX_COEFFICIENTS): coefficients / 2^15
// for Q15, q15_tap(tap) / 2^15 for Q15_ROUNDED and for Q15_OPTIMIZED (where
// it is where the optimizer starts, table_optimizer.h), q31_tap(tap) / 2^31
// for Q31, each tap rounded to float for F32.
void target_fractions(Target target, const DesignArrays& arrays, int count, TapFractions& fractions);

// Whether the rounded table saturates a tap (one of 1.0 or more).
bool rounding_saturates(const DesignArrays& arrays, int count);

#endif
