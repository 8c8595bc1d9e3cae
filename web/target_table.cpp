#include "web/target_table.h"

#include <cmath>

#include "core/fixed_point.h"

const char* target_name(Target target)
{
    switch (target) {
    case Target::Q31:
        return "q31";
    case Target::F32:
        return "f32";
    default:
        return "q15";
    }
}

std::int32_t q31_tap(double tap)
{
    // tap × 2^31 is exact; so is its rounding, and both limits are doubles.
    const double scaled = std::round(tap * Q31);
    if (scaled >= Q31) {
        return INT32_MAX;
    }
    return scaled <= -Q31 ? INT32_MIN : static_cast<std::int32_t>(scaled);
}

void target_fractions(Target target, const DesignArrays& arrays, int count, TapFractions& fractions)
{
    for (int i = 0; i < count; ++i) {
        const double tap = arrays.impulse_response[i];
        switch (target) {
        case Target::Q31:
            fractions[i] = q31_tap(tap) / Q31;
            break;
        case Target::F32:
            fractions[i] = static_cast<float>(tap);
            break;
        default:
            fractions[i] = arrays.coefficients[i] / Q15;
        }
    }
}
