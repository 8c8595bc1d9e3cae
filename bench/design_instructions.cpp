// One 2049-tap design, for counting the instructions of the design stages
// alone under callgrind: measure_run.sh collects inside
// design_stages_of_2049_taps only.
#include "bench/low_pass_record.h"
#include "design/filter_stages.h"
#include "frontend/fixed_point.h"

namespace {
HalfResponse half_response;
HalfResponse kaiser_window;
ImpulseResponse impulse_response;
Coefficients coefficients;
}  // namespace

extern "C" __attribute__((noinline)) void design_stages_of_2049_taps(const FilterDesign* design)
{
    compute_ideal_response(*design, half_response);
    apply_kaiser_window(*design, half_response, kaiser_window);
    expand_symmetric_response(*design, half_response, impulse_response);
    quantize_coefficients(*design, impulse_response, coefficients);
}

int main()
{
    const FilterDesign design = low_pass_record(MAX_COEFFICIENTS);
    design_stages_of_2049_taps(&design);
    return coefficients[MAX_COEFFICIENTS / 2] == 16383 ? 0 : 1;
}
