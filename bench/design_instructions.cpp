// One 2049-tap design, for counting the instructions of the design stages
// alone under callgrind: measure_run.sh collects inside
// design_stages_of_2049_taps only.
#include "core/design_filter.h"
#include "tests/core/design_record.h"

namespace {
DesignArrays arrays;
}  // namespace

extern "C" __attribute__((noinline)) void design_stages_of_2049_taps(const FilterDesign* design)
{
    design_filter(*design, arrays);
}

int main()
{
    // The benchmarks' low pass: 60 dB at a quarter of 48000 Hz.
    const FilterDesign design = design_record('L', 48000, 12000, 0, MAX_COEFFICIENTS, 60);
    design_stages_of_2049_taps(&design);
    return arrays.coefficients[MAX_COEFFICIENTS / 2] == 16383 ? 0 : 1;
}
