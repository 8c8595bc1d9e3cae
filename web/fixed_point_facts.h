// What a firmware target needs to know of its table before it runs it: the
// worst-case gain and whether a full-scale input can drive the output past
// full scale, how the sum of products is held, the gains at 0 Hz and at half
// the sample rate, and the delay. Inputs are full-scale samples of the
// target's own width (16 or 32 bits, or 1.0 for floats).
#ifndef FIR_DESIGN_FIXED_POINT_FACTS_H
#define FIR_DESIGN_FIXED_POINT_FACTS_H

#include "web/target_table.h"

struct FixedPointFacts {
    double worst_case_gain;       // sum of |taps|: the most any input can be amplified
    double overload_db;           // 20 log10 of the worst output over the largest the output holds; > 0
                                  // passes it (Q15 saturates, Q31 wraps, floats hold it)
    int input_shift;              // bits to scale the input down by so that no output passes full
                                  // scale (Q15, Q31; 0 for floats)
    int accumulator_bits;         // Q15: bits a signed accumulator needs for the worst sum of products
    bool fast_sum_can_overflow;   // Q15: that sum exceeds 32 bits (arm_fir_fast_q15, 32-bit MACs)
    double gain_at_zero;          // sum of taps
    double gain_at_half_rate;     // alternating sum of taps
    double delay_samples;         // (N - 1) / 2: the delay of a linear-phase filter
    bool fits;                    // every tap is a value the target holds (only the Q15 integers,
                                  // truncated unclamped, may not be)
};

// The facts of the table `target` holds, taps[0 .. count - 1], count from 1
// to MAX_COEFFICIENTS.
FixedPointFacts fixed_point_facts(Target target, const TapFractions& taps, int count);

#endif
