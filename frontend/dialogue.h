// The questions of a run and the answers they accept.
#ifndef FIR_DESIGN_DIALOGUE_H
#define FIR_DESIGN_DIALOGUE_H

#include "frontend/console.h"
#include "frontend/filter_design_record.h"

// Asks every question in order and fills the typed answers of `design`
// (sample_rate, filter_type, cutoff or lower_cutoff and upper_cutoff,
// stop_band_attenuation, number_of_coefficients). An answer outside its
// range gets one line on console.errors saying what is accepted; at a
// terminal the rest of its line is discarded and the question asked again,
// otherwise the dialogue ends there. Accepted when every answer was,
// otherwise Refused or EndOfInput, reported on console.errors.
AnswerStatus run_dialogue(const Console& console, FilterDesign& design);

// Shows the filter-type menu until L, H or B (either case) is chosen, then
// asks for the cutoff or the two band edges of that type. The key is echoed
// upper-cased and the choice ends with Enter; keys between are dropped.
// From a pipe or file the key is the next character that is not white
// space, the rest of its line is dropped, and any other key is refused.
AnswerStatus read_filter_type(const Console& console, FilterDesign& design);

#endif
