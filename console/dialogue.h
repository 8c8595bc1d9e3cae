// The questions of a run and the answers they accept.
#ifndef FIR_DESIGN_DIALOGUE_H
#define FIR_DESIGN_DIALOGUE_H

#include "console/console.h"
#include "core/filter_design_record.h"

// Asks every question in order, fills the typed answers of `design`
// (sample_rate, filter_type, cutoff or lower_cutoff and upper_cutoff,
// stop_band_attenuation, number_of_coefficients) and sets `type` to the
// filter type chosen. An answer outside its range gets one line on
// console.errors saying what is accepted; at a terminal the question is
// then asked again, otherwise the dialogue ends there. Accepted when every
// answer was; otherwise Refused, EndOfInput or StreamFailed, each reported
// on console.errors.
AnswerStatus run_dialogue(const Console& console, FilterDesign& design, FilterType& type);

// Shows the filter-type menu until L, H or B (either case) is chosen, then
// asks for the cutoff or the two band edges of that type. At a terminal the
// key is echoed upper-cased when it is printable, and the choice ends with
// Enter; keys between are dropped. From a pipe or file the key is a line of
// its own, and any other key is refused.
AnswerStatus read_filter_type(const Console& console, FilterDesign& design, FilterType& type);

#endif
