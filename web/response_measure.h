// The response of a target's table (target_table.h), measured for the
// page: a dense spectrum for the plot, and the figures read from it and
// from exact evaluations at the points that matter.
#ifndef FIR_DESIGN_RESPONSE_MEASURE_H
#define FIR_DESIGN_RESPONSE_MEASURE_H

#include <limits>

#include "core/filter_design_record.h"
#include "web/spectrum.h"

// A figure that does not exist for a design.
constexpr double NOT_A_FIGURE = std::numeric_limits<double>::quiet_NaN();

// The measurements' work area, owned by the caller and passed to each call:
// the transform's, the gains of the full spectrum, which each call computes
// before it reads them, and a table for a caller that makes one as it
// measures (the length search). It must start zeroed (static storage, or
// `{}`); one measurement at a time may use it.
struct ResponseScratch {
    SpectrumScratch spectrum;
    double gains[RESPONSE_POINTS];
    TapFractions table;
};

// The bands of a design as Kaiser's transition width places them: the width
// kaiser_transition_width gives, half of it on each side
// of every band edge. Frequencies in cycles per sample (0 to 0.5).
struct DesignBands {
    double pass_low, pass_high;
    int stop_count;        // 0 to 2
    double stop_low[2], stop_high[2];
    int missing_stops;     // the stop bands the width leaves no room for: MISSING_BELOW, MISSING_ABOVE
};

// A band edge inside the spectrum whose transition band reaches 0, or half
// the sample rate, so that it has no stop band on that side.
constexpr int MISSING_BELOW = 1;
constexpr int MISSING_ABOVE = 2;

// What the page shows beside the plot. Frequencies in Hz; a figure that
// does not exist for the design is NOT_A_FIGURE.
struct ResponseFigures {
    double achieved_attenuation;  // dB: the least loss over the stop bands
    double pass_lowest;           // dB: the least and the greatest gain
    double pass_highest;          //     over the pass band
    double half_gain[2];          // where the gain crosses -6.02 dB (half the gain)
    double half_power[2];         // and -3.01 dB (half the power), at each band edge
    double band_edge[2];          // those band edges, inside (0, half the sample rate)
    int edge_count;               // 0 to 2
    double peak_gain;             // dB: the greatest gain anywhere
    int taps_at_zero;             // taps that are 0
};

// The bands of a derived design (edges in either order: the band between
// them). No stop band when the width formula gives none: below 8 dB, or
// where an edge plus half the width passes half the sample rate.
DesignBands design_bands(const FilterDesign& design);

// The same bands for a transition width of `width` cycles per sample.
DesignBands bands_for_width(const FilterDesign& design, double width);

// The least loss in dB over the stop bands of taps[0 .. count - 1],
// measured as the page measures the achieved attenuation: every bin of the
// spectrum, the bands' edges exactly and the worst side lobes searched
// between the bins. +inf (or 240 dB and more) where the gain is 0.
double stop_band_attenuation(const TapFractions& taps, int count, const DesignBands& bands,
                             ResponseScratch& scratch);

// The greatest gain over the stop bands and the least over the pass band
// (at its middle where the band has no width), as fractions.
struct BandGains {
    double stop_worst;
    double pass_least;
};

// Measured as stop_band_attenuation measures, and the pass band over every
// bin and its edges exactly.
BandGains measure_band_gains(const TapFractions& taps, int count, const DesignBands& bands,
                             ResponseScratch& scratch);

// The pass band's largest distance from 0 dB, in dB: its least gain (bins
// and edges) and its greatest (bins, edges and peaks between bins), from the
// spectrum the last measure_band_gains of the same taps left in `scratch`;
// at its middle where the band has no width.
double pass_band_deviation_db(const TapFractions& taps, int count, const DesignBands& bands,
                              const ResponseScratch& scratch);

// Sampled cheaply at the bins of a spectrum of at least `points_per_tap`
// times `count` points (1 to 16; each bin a bin of the full spectrum too):
// the greatest stop-band gain found can only be below the measured one, the
// least pass-band gain above. No stop band: 0; no pass-band bin: +inf.
BandGains sample_band_gains(const TapFractions& taps, int count, const DesignBands& bands,
                            int points_per_tap, SpectrumScratch& scratch);

// The gains exactly at the bands' edges (a pass band without width at its
// middle), as the full measurement evaluates them: bounds of the same kind
// as sample_band_gains gives, for a few exact sums.
BandGains edge_band_gains(const TapFractions& taps, int count, const DesignBands& bands);

// Fills gain_db[0 .. RESPONSE_POINTS - 1] with the gain in dB at
// k / SPECTRUM_SIZE cycles per sample, and `figures` for the design, its
// attenuation and pass band measured over `bands`.
void measure_response(const FilterDesign& design, const DesignBands& bands, const TapFractions& taps,
                      ResponseScratch& scratch, double (&gain_db)[RESPONSE_POINTS], ResponseFigures& figures);

#endif
