#include "core/fixed_point.h"

void quantize_coefficients(const FilterDesign& design, const ImpulseResponse& impulse_response,
                           Coefficients& coefficients)
{
    for (int i = 0; i < design.number_of_coefficients; ++i) {
        // The conversion truncates toward zero: 1.0 gives 32767, not 32768.
        coefficients[i] = static_cast<std::int32_t>(impulse_response[i] * FIXED_POINT_SCALE);
    }
}
