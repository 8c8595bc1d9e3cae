// From the typed answers to the values the design stages work with.
#ifndef FIR_DESIGN_DESIGN_DERIVATION_H
#define FIR_DESIGN_DESIGN_DERIVATION_H

#include <optional>

#include "frontend/filter_design_record.h"

// The filter type a menu key names: L, H or B in either case; nothing for
// any other key.
std::optional<FilterType> filter_type_of_key(char key);

// Completes a record whose answers have been read: the band edges in Hz by
// filter type (a low pass runs from 0, a high pass up to sample_rate / 2 in
// integer division), the normalised edges, odd_length and half_length.
// Needs sample_rate != 0 and a filter_type that filter_type_of_key accepts.
void derive_design_values(FilterDesign& design);

#endif
