// The design record of one run, the filter types and the fixed capacities
// of every array a run uses. The record is written by the dialogue and its
// derivation only; every later stage reads it.
#ifndef FIR_DESIGN_FILTER_DESIGN_RECORD_H
#define FIR_DESIGN_FILTER_DESIGN_RECORD_H

#include <array>
#include <cstdint>

// Longest filter the tool designs, in taps.
constexpr int MAX_COEFFICIENTS = 2049;
// Distinct taps of a 2049-tap filter counted from its centre outward.
constexpr int MAX_HALF_LENGTH = (MAX_COEFFICIENTS + 1) / 2;

using HalfResponse = std::array<double, MAX_HALF_LENGTH>;
using ImpulseResponse = std::array<double, MAX_COEFFICIENTS>;
using Coefficients = std::array<std::int32_t, MAX_COEFFICIENTS>;

enum class FilterType { LowPass, HighPass, BandPass };

struct FilterDesign {
    std::int32_t sample_rate = 0;             // Hz, as typed
    char filter_type = 0;                     // the menu key as typed: L, l, H, h, B or b
    std::int32_t cutoff = 0;                  // Hz; low pass and high pass only
    std::int32_t lower_cutoff = 0;            // Hz, lower band edge
    std::int32_t upper_cutoff = 0;            // Hz, upper band edge
    std::int32_t stop_band_attenuation = 0;   // dB, positive
    std::int32_t number_of_coefficients = 0;  // N, taps
    double lower_edge = 0.0;                  // lower_cutoff / sample_rate, cycles per sample
    double upper_edge = 0.0;                  // upper_cutoff / sample_rate, cycles per sample
    bool odd_length = false;                  // N is odd
    std::int32_t half_length = 0;             // distinct taps from the centre outward, (N + 1) / 2
};

// Half the sample rate in whole Hz, the highest band edge: integer division,
// so an odd sample rate loses the half.
inline std::int32_t half_sample_rate(const FilterDesign& design)
{
    return design.sample_rate / 2;
}

// Every array of one run, at its fixed capacity.
struct DesignArrays {
    HalfResponse half_response;        // the ideal response, then windowed in place
    HalfResponse kaiser_window;        // the window stage's own scratch
    ImpulseResponse impulse_response;  // the N taps in filter order
    Coefficients coefficients;         // the taps in fixed point
};

// Distance from the filter's centre of half-response entry `index`, in taps:
// the index itself for an odd N (entry 0 is the centre tap), index + 0.5 for
// an even N (no tap lies on the centre).
inline double tap_offset(const FilterDesign& design, int index)
{
    return design.odd_length ? index : index + 0.5;
}

#endif
