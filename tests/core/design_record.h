// A design record as the dialogue and the derivation leave it, for tests and
// benchmarks that design without the dialogue.
#ifndef FIR_DESIGN_TESTS_DESIGN_RECORD_H
#define FIR_DESIGN_TESTS_DESIGN_RECORD_H

#include "core/design_derivation.h"

// `key` is a menu key (L, H or B in either case); `first_edge` is the cutoff
// of a low or high pass and the lower edge of a band pass, `second_edge` the
// upper edge of a band pass. Frequencies in Hz, attenuation in dB.
inline FilterDesign design_record(char key, int sample_rate, int first_edge, int second_edge,
                                  int taps, int attenuation = 0)
{
    FilterDesign design{};
    design.sample_rate = sample_rate;
    design.filter_type = key;
    design.cutoff = first_edge;
    design.lower_cutoff = first_edge;
    design.upper_cutoff = second_edge;
    design.stop_band_attenuation = attenuation;
    design.number_of_coefficients = taps;
    derive_design_values(design, *filter_type_of_key(key));
    return design;
}

#endif
