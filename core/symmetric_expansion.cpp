// Unfolds the half response, which runs from the centre outward, into the
// full symmetric filter. The symmetry is what makes the filter linear-phase.
#include "core/filter_stages.h"

void expand_symmetric_response(const FilterDesign& design, const HalfResponse& half_response,
                               ImpulseResponse& impulse_response)
{
    const int half_length = design.half_length;
    const int count = design.number_of_coefficients;

    // First half: the half response reversed, ending at the centre.
    for (int k = 0; k < half_length; ++k) {
        impulse_response[k] = half_response[half_length - 1 - k];
    }
    // Second half: the half response forward. An odd N has already placed
    // its centre tap, so it starts one entry further out.
    const int start = design.odd_length ? 1 : 0;
    for (int j = 0; j < count - half_length; ++j) {
        impulse_response[half_length + j] = half_response[start + j];
    }
}
