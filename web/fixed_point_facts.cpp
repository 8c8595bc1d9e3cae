#include "web/fixed_point_facts.h"

#include <cmath>
#include <cstdint>

#include "core/fixed_point.h"

namespace {

// A target's integers: a tap t stands for t / unit, and the output holds
// values up to `largest`. Floats count in fractions, full scale 1.0.
struct Scale {
    double unit;
    double largest;
};

Scale scale_of(TargetType type)
{
    switch (type) {
    case TargetType::Q31:
        return {Q31, Q31 - 1};
    case TargetType::F32:
        return {1.0, 1.0};
    default:
        return {Q15, Q15_MAX};
    }
}

constexpr std::int64_t LARGEST_32_BIT_SUM = 2147483647;
// The worst Q15 input: every sample full scale, Q15_MIN, with the sign of its tap.
constexpr std::int64_t Q15_FULL_SCALE = -std::int64_t{Q15_MIN};

}  // namespace

FixedPointFacts fixed_point_facts(Target target, const TapFractions& taps, int count)
{
    // In the integers' own units every sum here is exact: 2049 taps of at
    // most 2^31 units each stay below 2^53.
    const TargetType type = target_type(target);
    const Scale scale = scale_of(type);
    double magnitudes = 0;
    double sum = 0;
    double alternating = 0;
    bool fits = true;
    for (int i = 0; i < count; ++i) {
        const double tap = taps[i] * scale.unit;
        magnitudes += std::fabs(tap);
        sum += tap;
        alternating += i % 2 == 0 ? tap : -tap;
        fits = fits && (type != TargetType::Q15 || (tap >= Q15_MIN && tap <= Q15_MAX));
    }
    FixedPointFacts facts{};
    facts.worst_case_gain = magnitudes / scale.unit;
    // The worst input is full scale with the sign of each tap; shifted back,
    // its output is the sum of |taps| in the integers' units.
    facts.overload_db = magnitudes > 0 ? 20 * std::log10(magnitudes / scale.largest) : -HUGE_VAL;
    while (type != TargetType::F32 && facts.input_shift < 62
           && magnitudes > std::ldexp(scale.largest, facts.input_shift)) {
        ++facts.input_shift;
    }
    // Q15: the worst sum of products and the bits a signed accumulator needs
    // to hold it.
    const std::int64_t worst_sum = static_cast<std::int64_t>(magnitudes) * Q15_FULL_SCALE;
    facts.accumulator_bits = 1;
    while (type == TargetType::Q15 && facts.accumulator_bits < 63
           && (std::int64_t{1} << (facts.accumulator_bits - 1)) - 1 < worst_sum) {
        ++facts.accumulator_bits;
    }
    facts.fast_sum_can_overflow = type == TargetType::Q15 && worst_sum > LARGEST_32_BIT_SUM;
    facts.gain_at_zero = sum / scale.unit;
    facts.gain_at_half_rate = alternating / scale.unit;
    facts.delay_samples = (count - 1) / 2.0;
    facts.fits = fits;
    return facts;
}
