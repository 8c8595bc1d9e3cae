// Optimized 16-bit integers: the rounded table (each tap x 32768, rounded to
// nearest) improved by a local search of integer steps, so that the worst
// stop-band gain falls while the pass band stays as flat as the rounded
// table's, give or take 0.05 dB. Only symmetric pairs of taps move, one
// integer step at a time (and, once no single step helps, two at once), so
// the table stays symmetric and the phase linear. Deterministic: the same
// table and bands give the same integers. It is a local search, not an
// optimum: it stops where no such step lowers the worst gain on its grid,
// or after MAX_OPTIMIZER_PASSES passes over the taps.
//
// The gains are followed on a grid of at least 8 points (16 in the pass
// band) for every 1 / count of frequency (the bins of a power-of-two
// spectrum, and the bands' edges), and
// the result is measured at the end as the page measures any table: where
// it is not better than the rounded table there, or its pass band strays
// further than allowed, the rounded table is kept.
#ifndef FIR_DESIGN_TABLE_OPTIMIZER_H
#define FIR_DESIGN_TABLE_OPTIMIZER_H

#include <cstdint>

#include "core/filter_design_record.h"
#include "web/response_measure.h"
#include "web/target_table.h"

// How much further from 0 dB the optimized pass band may stray than the
// rounded table's does, in dB.
constexpr double PASS_BAND_ALLOWANCE_DB = 0.05;
constexpr int MAX_OPTIMIZER_PASSES = 256;
// Grid points the optimizer follows at once near the worst gain.
constexpr int MAX_NEAR_POINTS = 384;
constexpr int MAX_OPTIMIZER_POINTS = SPECTRUM_SIZE / 2 + 1 + 6;  // every bin, and the bands' edges

// Everything one optimization knows between its pieces; the caller owns it
// (about 3.7 MiB), and several may go on side by side, each with its own.
struct TableOptimizer {
    int count;                      // taps, 2 to MAX_COEFFICIENTS
    int half;                       // distinct taps from the centre outward
    bool odd;
    int integers[MAX_HALF_LENGTH];  // the table as integers, from the centre outward
    TapFractions rounded;           // the rounded table, taps[0 .. count - 1]
    BandGains rounded_gains;        // measured in full
    double rounded_deviation_db;    // the rounded pass band's largest distance from 0 dB
    // The grid: stop-band points first, then the pass band's.
    int points, stop_points;
    double frequency[MAX_OPTIMIZER_POINTS];
    int bin[MAX_OPTIMIZER_POINTS];      // the point's bin of its band's spectrum, or -1 (a band's edge)
    bool follows[MAX_OPTIMIZER_POINTS];  // the 8 points before it are the 8 bins before it
    int grid_size[2];                   // the stop bands' spectrum's points, and the pass band's
    double gain[MAX_OPTIMIZER_POINTS];  // signed zero-phase gain (the amplitude)
    // The magnitudes each pass-band point must stay within: the band's
    // limits, or where the rounded table already lies outside them (a zero
    // that an even length forces at half the sample rate), its own gain
    // there give or take the allowance.
    double least_allowed[MAX_OPTIMIZER_POINTS];
    double greatest_allowed[MAX_OPTIMIZER_POINTS];
    double worst;                       // the greatest stop-band magnitude on the grid
    // The points that one or two steps can take past the worst gain or the
    // pass band's limits, each in a slot that holds every tap pair's gain
    // there, kept while the point stays near.
    int near_count;
    bool near_complete;  // false: more points were near than fit
    int near_point[MAX_NEAR_POINTS];  // the point in each slot, or -1
    int slot_of[MAX_OPTIMIZER_POINTS];  // each point's slot, or -1
    double near_basis[MAX_NEAR_POINTS][MAX_HALF_LENGTH];
    double column[MAX_OPTIMIZER_POINTS];  // one tap pair's gain at every point
    // Progress.
    int pass, next_tap, steps_in_pass, steps;
    std::int64_t work;  // done so far, in the units of a try at one point
    bool done;
    TapFractions table;  // the result, once done
    BandGains gains;     // its gains, measured in full
};

// Starts optimizing the rounded 16-bit table `rounded` (taps[0 .. count - 1],
// each a multiple of 1/32768, symmetric; count from 2 to MAX_COEFFICIENTS)
// over `bands`, which must have a stop band. Measures the rounded table in
// `scratch`.
void start_optimizing(TableOptimizer& optimizer, const TapFractions& rounded, int count, const DesignBands& bands,
                      ResponseScratch& scratch);

// Goes on for about `work` more units (a try of a step at one grid point is
// one); true once the result is in optimizer.table and optimizer.gains.
// `bands` as given to start_optimizing.
bool continue_optimizing(TableOptimizer& optimizer, std::int64_t work, const DesignBands& bands, ResponseScratch& scratch);

// The whole optimization at once.
void optimize_table(TableOptimizer& optimizer, const TapFractions& rounded, int count, const DesignBands& bands,
                    ResponseScratch& scratch);

#endif
