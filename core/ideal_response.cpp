// Samples the ideal (brick-wall) band-pass response at the tap offsets. Low
// pass and high pass arrive here as band passes whose lower edge is 0 or
// whose upper edge is half the sample rate, so one formula serves all three.
#include <cmath>

#include "core/filter_stages.h"

void compute_ideal_response(const FilterDesign& design, HalfResponse& half_response)
{
    const double bandwidth = design.upper_edge - design.lower_edge;
    const double edge_sum = design.lower_edge + design.upper_edge;

    // The formula below is 0 / 0 at the centre; its limit there is twice the
    // bandwidth. Only an odd N has a tap on the centre.
    int first = 0;
    if (design.odd_length) {
        half_response[0] = bandwidth + bandwidth;
        first = 1;
    }

    // 2 sin(pi n (f2 - f1)) cos(pi n (f1 + f2)) / (pi n): the difference of
    // the two ideal low passes at f2 and f1.
    for (int i = first; i < design.half_length; ++i) {
        const double t = tap_offset(design, i) * PI_VALUE;
        half_response[i] = std::cos(t * edge_sum) * ((std::sin(bandwidth * t) / t) * 2);
    }
}
