#include "web/target_table.h"

#include <cmath>

#include "core/fixed_point.h"

namespace {

// Rounds `tap` x `unit` to nearest (halves away from 0) and saturates it to
// [-unit, unit - 1]; tap x unit is exact for these powers of two, and so is
// its rounding.
double rounded_and_saturated(double tap, double unit)
{
    const double scaled = std::round(tap * unit);
    return scaled >= unit ? unit - 1 : scaled <= -unit ? -unit : scaled;
}

}  // namespace

const char* target_name(Target target)
{
    switch (target) {
    case Target::Q15_ROUNDED:
        return "q15-rounded";
    case Target::Q15_OPTIMIZED:
        return "q15-optimized";
    case Target::Q31:
        return "q31";
    case Target::F32:
        return "f32";
    default:
        return "q15";
    }
}

TargetType target_type(Target target)
{
    switch (target) {
    case Target::Q31:
        return TargetType::Q31;
    case Target::F32:
        return TargetType::F32;
    default:
        return TargetType::Q15;
    }
}

const char* type_name(TargetType type)
{
    switch (type) {
    case TargetType::Q31:
        return "q31";
    case TargetType::F32:
        return "f32";
    default:
        return "q15";
    }
}

std::int32_t q15_tap(double tap)
{
    return static_cast<std::int32_t>(rounded_and_saturated(tap, Q15));
}

std::int32_t q31_tap(double tap)
{
    return static_cast<std::int32_t>(rounded_and_saturated(tap, Q31));
}

void target_fractions(Target target, const DesignArrays& arrays, int count, TapFractions& fractions)
{
    for (int i = 0; i < count; ++i) {
        const double tap = arrays.impulse_response[i];
        switch (target) {
        case Target::Q15_ROUNDED:
        case Target::Q15_OPTIMIZED:
            fractions[i] = q15_tap(tap) / Q15;
            break;
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

bool rounding_saturates(const DesignArrays& arrays, int count)
{
    bool saturates = false;
    for (int i = 0; i < count; ++i) {
        saturates = saturates || std::round(arrays.impulse_response[i] * Q15) > Q15_MAX;
    }
    return saturates;
}
