// The spectrum of a target's table (target_table.h), its taps as the
// fractions the filter multiplies by: a fast transform for the gain at
// evenly spaced frequencies, and an exact sum for the gain at any one
// frequency.
#ifndef FIR_DESIGN_SPECTRUM_H
#define FIR_DESIGN_SPECTRUM_H

#include "core/filter_design_record.h"
#include "web/target_table.h"

// Points of the full spectrum from 0 to half the sample rate: 2^15 + 1, a
// bin every 1/65536 of the sample rate, 32 to a side lobe of a 2049-tap
// design.
constexpr int SPECTRUM_SIZE = 1 << 16;
constexpr int RESPONSE_POINTS = SPECTRUM_SIZE / 2 + 1;

// The transform's work area, about 1.5 MiB, owned by the caller and passed
// to every call, as an FFT library takes its buffer. It must start zeroed
// (static storage, or `{}`): the twiddle factors are filled on first use.
// One transform at a time may use it.
struct SpectrumScratch {
    double real_values[SPECTRUM_SIZE];
    double imaginary_values[SPECTRUM_SIZE];
    double twiddle_cos[SPECTRUM_SIZE / 2];
    double twiddle_sin[SPECTRUM_SIZE / 2];
    bool twiddles_ready;
};

// The `size`-point transform of taps[0 .. count - 1], bins 0
// to size / 2, into scratch.real_values and scratch.imaginary_values. `size` is
// a power of two from 4 to SPECTRUM_SIZE, at least `count` (1 to
// MAX_COEFFICIENTS).
void transform_taps(const TapFractions& taps, int count, int size, SpectrumScratch& scratch);

// The gain, as a fraction, of taps[0 .. count - 1] at
// k / SPECTRUM_SIZE cycles per sample, for k from 0 to RESPONSE_POINTS - 1.
void spectrum_gains(const TapFractions& taps, int count, SpectrumScratch& scratch,
                    double (&gains)[RESPONSE_POINTS]);

// |H(f)| of taps[0 .. count - 1] at f cycles per sample (0 to
// 0.5), summed exactly (the table is symmetric: a cosine series).
double exact_gain(const TapFractions& taps, int count, double f);

// A gain as a fraction in dB, with gains below 1e-12 (-240 dB) taken as
// 1e-12, so that a gain of 0 has a finite figure.
double to_db(double gain);

#endif
