#include "core/design_derivation.h"

std::optional<FilterType> filter_type_of_key(char key)
{
    switch (key) {
    case 'L': case 'l': return FilterType::LowPass;
    case 'H': case 'h': return FilterType::HighPass;
    case 'B': case 'b': return FilterType::BandPass;
    default: return std::nullopt;
    }
}

void derive_design_values(FilterDesign& design, FilterType type)
{
    switch (type) {
    case FilterType::HighPass:
        design.lower_cutoff = design.cutoff;
        design.upper_cutoff = half_sample_rate(design);
        break;
    case FilterType::LowPass:
        design.lower_cutoff = 0;
        design.upper_cutoff = design.cutoff;
        break;
    case FilterType::BandPass:
        break;  // both edges stay as typed
    }

    design.lower_edge = static_cast<double>(design.lower_cutoff) / design.sample_rate;
    design.upper_edge = static_cast<double>(design.upper_cutoff) / design.sample_rate;

    design.odd_length = (design.number_of_coefficients & 1) == 1;
    design.half_length = design.number_of_coefficients / 2 + (design.odd_length ? 1 : 0);
}
