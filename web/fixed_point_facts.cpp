#include "web/fixed_point_facts.h"

#include <cmath>

#include "core/fixed_point.h"

namespace {

// The worst input: every sample full scale, Q15_MIN, with the sign of its tap.
constexpr std::int64_t FULL_SCALE = -std::int64_t{Q15_MIN};
constexpr std::int64_t LARGEST_32_BIT_SUM = 2147483647;

}  // namespace

FixedPointFacts fixed_point_facts(const Coefficients& coefficients, int count)
{
    std::int64_t magnitudes = 0;
    std::int64_t sum = 0;
    std::int64_t alternating = 0;
    bool fits = true;
    for (int i = 0; i < count; ++i) {
        const std::int64_t tap = coefficients[i];
        magnitudes += tap < 0 ? -tap : tap;
        sum += tap;
        alternating += i % 2 == 0 ? tap : -tap;
        fits = fits && tap >= Q15_MIN && tap <= Q15_MAX;
    }
    // The worst sum of products and the bits a signed accumulator needs to hold it.
    const std::int64_t worst_sum = FULL_SCALE * magnitudes;
    int bits = 1;
    while (bits < 63 && (std::int64_t{1} << (bits - 1)) - 1 < worst_sum) {
        ++bits;
    }
    FixedPointFacts facts{};
    facts.worst_case_gain = static_cast<double>(magnitudes) / Q15;
    // The output is the sum shifted back by 15 bits: the worst one is the sum of |taps|.
    facts.overload_db = magnitudes > 0 ? 20 * std::log10(static_cast<double>(magnitudes) / Q15_MAX) : -HUGE_VAL;
    facts.accumulator_bits = bits;
    facts.fast_sum_can_overflow = worst_sum > LARGEST_32_BIT_SUM;
    facts.gain_at_zero = static_cast<double>(sum) / Q15;
    facts.gain_at_half_rate = static_cast<double>(alternating) / Q15;
    facts.delay_samples = (count - 1) / 2.0;
    facts.fits_q15 = fits;
    return facts;
}
