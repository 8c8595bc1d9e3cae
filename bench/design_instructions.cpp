// One 2049-tap design, for counting the instructions of the design stages
// alone under callgrind: measure_run.sh collects inside
// design_stages_of_2049_taps only.
#include "design/filter_stages.h"
#include "frontend/design_derivation.h"
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
    FilterDesign design{};
    design.sample_rate = 48000;
    design.filter_type = 'L';
    design.cutoff = 12000;
    design.stop_band_attenuation = 60;
    design.number_of_coefficients = MAX_COEFFICIENTS;
    derive_design_values(design);
    design_stages_of_2049_taps(&design);
    return coefficients[MAX_COEFFICIENTS / 2] == 16383 ? 0 : 1;
}
