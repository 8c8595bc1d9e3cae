// The design both benchmarks measure: a 60 dB low pass at a quarter of a
// 48000 Hz sample rate, of `taps` taps (2 to MAX_COEFFICIENTS).
#ifndef FIR_DESIGN_LOW_PASS_RECORD_H
#define FIR_DESIGN_LOW_PASS_RECORD_H

#include "frontend/design_derivation.h"

inline FilterDesign low_pass_record(int taps)
{
    FilterDesign design{};
    design.sample_rate = 48000;
    design.filter_type = 'L';
    design.cutoff = 12000;
    design.stop_band_attenuation = 60;
    design.number_of_coefficients = taps;
    derive_design_values(design);
    return design;
}

#endif
