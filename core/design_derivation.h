// From the typed answers to the values the design stages work with.
#ifndef FIR_DESIGN_DESIGN_DERIVATION_H
#define FIR_DESIGN_DESIGN_DERIVATION_H

#include <optional>

#include "core/filter_design_record.h"

// The filter type a menu key names: L, H or B in either case; nothing for
// any other key.
std::optional<FilterType> filter_type_of_key(char key);

// Completes a record whose answers have been read, for the filter type its
// menu key named: the band edges in Hz (a low pass runs from 0, a high pass
// up to half_sample_rate), the normalised edges, odd_length and half_length.
// Needs sample_rate != 0.
void derive_design_values(FilterDesign& design, FilterType type);

#endif
