// The three numerical stages of a design, called once each in this order:
// ideal response, Kaiser window, symmetric expansion. Each reads the record
// and the arrays of the stages before it, writes only its own array, and
// cannot fail for a record whose answers lie in the ranges the dialogue
// accepts (N from 2 to MAX_COEFFICIENTS, sample rate at least 2 Hz,
// attenuation from 0 to MAX_STOP_BAND_ATTENUATION dB).
#ifndef FIR_DESIGN_FILTER_STAGES_H
#define FIR_DESIGN_FILTER_STAGES_H

#include "core/filter_design_record.h"

// The value of pi the design uses: this twelve-digit decimal, not M_PI.
constexpr double PI_VALUE = 3.14159265359;

// Largest attenuation, in dB, whose window stays finite: the Kaiser beta
// 0.1102 * (A - 8.7) must stay below ln(DBL_MAX) = 709.78 for exp(beta) in
// bessel_i0 to exist, which holds up to A = 6449 (beta = 709.72) and fails
// from A = 6450 (beta = 709.83).
constexpr int MAX_STOP_BAND_ATTENUATION = 6449;

// Fills half_response[0 .. half_length - 1] with the ideal band-pass impulse
// response from lower_edge to upper_edge (cycles per sample, each from 0 to
// 0.5; swapped edges give the negated response) at each tap_offset.
// Entries from half_length on are not touched.
void compute_ideal_response(const FilterDesign& design, HalfResponse& half_response);

// Kaiser shape parameter for a stop-band attenuation in dB (any integer;
// 20 dB and below give 0, a rectangular window).
double kaiser_beta(int stop_band_attenuation);

// Kaiser's estimate that ties the length to the transition width:
// N - 1 = (A - 7.95) / (14.36 width), for an attenuation A in dB (8 and
// above gives a width above 0) and a width in cycles per sample. Not a
// design stage: the page uses it to place the bands and estimate a length.
// The transition width of N taps (N from 2 to MAX_COEFFICIENTS):
double kaiser_transition_width(int stop_band_attenuation, int number_of_coefficients);
// The length, N, for a width above 0 (not rounded):
double kaiser_length(int stop_band_attenuation, double width);

// Modified Bessel function of the first kind, order 0, at any finite x, by
// the polynomial approximations 9.8.1 (|x| < 3.75) and 9.8.2 (|x| >= 3.75)
// of Abramowitz and Stegun. Their published bounds are absolute (9.8.2's on
// sqrt(x) exp(-x) I0(x), a function near 0.4); measured against the series
// in 80-digit arithmetic, the relative error stays below 3.3e-8 under 3.75
// and reaches 4.7e-7 near x = 99 above it. Infinite once exp(|x|)
// overflows, from |x| of about 709.8.
double bessel_i0(double x);

// Computes the Kaiser window for stop_band_attenuation (0 to
// MAX_STOP_BAND_ATTENUATION dB) and N (2 to MAX_COEFFICIENTS) at each
// tap_offset into kaiser_window[0 .. half_length - 1], then multiplies it
// into half_response in place. kaiser_window is scratch storage the caller
// owns; only this stage reads it.
void apply_kaiser_window(const FilterDesign& design, HalfResponse& half_response,
                         HalfResponse& kaiser_window);

// Unfolds half_response[0 .. half_length - 1], which runs from the centre
// outward, into the N taps impulse_response[0 .. N - 1] in filter order,
// symmetric about the centre. Entries from N on are not touched.
void expand_symmetric_response(const FilterDesign& design, const HalfResponse& half_response,
                               ImpulseResponse& impulse_response);

#endif
