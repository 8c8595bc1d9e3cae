// What a fixed-point target needs to know of a coefficient table before it
// runs it: the worst-case gain and whether 16-bit outputs or a 32-bit
// accumulator can overflow, the gains at 0 Hz and at half the sample rate,
// and the delay. Taps are Q15 integers, inputs full-scale 16-bit samples.
#ifndef FIR_DESIGN_FIXED_POINT_FACTS_H
#define FIR_DESIGN_FIXED_POINT_FACTS_H

#include <cstdint>

#include "core/filter_design_record.h"

struct FixedPointFacts {
    double worst_case_gain;       // sum of |taps| / 32768: the most any input can be amplified
    double overload_db;           // 20 log10 of the worst output over full scale; > 0 saturates
    int accumulator_bits;         // bits a signed accumulator needs for the worst sum of products
    bool fast_sum_can_overflow;   // that sum exceeds 32 bits (arm_fir_fast_q15, 32-bit MACs)
    double gain_at_zero;          // sum of taps / 32768
    double gain_at_half_rate;     // alternating sum of taps / 32768
    double delay_samples;         // (N - 1) / 2: the delay of a linear-phase filter
    bool fits_q15;                // every tap is a 16-bit value, -32768 to 32767
};

// The facts of coefficients[0 .. count - 1], count from 1 to MAX_COEFFICIENTS.
FixedPointFacts fixed_point_facts(const Coefficients& coefficients, int count);

#endif
