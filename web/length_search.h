// The shortest length whose table meets the need: the least N from 2 to
// MAX_COEFFICIENTS whose taps, as a target holds them, reach the requested
// attenuation over every stop band that begins half a transition width
// beyond its edge, measured as stop_band_attenuation measures, while the
// pass band, half a width inside each edge, loses at most 1 dB (so that a
// filter whose taps pass nothing never counts); or, where no N does, the N
// that reaches the most. The answer is that of measuring every N; most N are
// ruled out by a small spectrum instead.
//
// The optimized 16-bit table (table_optimizer.h) is searched in two steps:
// the rounded table's search first, whose answer the optimized table
// reaches too (it is never worse), then the optimizer at each length below
// it, from the longest down, as far as OPTIMIZED_SEARCH_WORK goes; every
// length only when that is enough (short designs). Where the rounded table
// reaches nothing, the optimizer tries the lengths whose rounded tables come
// closest, in that order, as far as the same work goes.
#ifndef FIR_DESIGN_LENGTH_SEARCH_H
#define FIR_DESIGN_LENGTH_SEARCH_H

#include "core/design_filter.h"
#include "core/filter_design_record.h"
#include "web/response_measure.h"
#include "web/table_optimizer.h"
#include "web/target_table.h"

// The least gain, in dB, the pass band may have for a length to count.
constexpr double PASS_BAND_LEAST_DB = -1.0;

struct LengthSearch {
    int shortest;                 // the least N that reaches the attenuation; 0 when none does
    double shortest_attenuation;  // dB it reaches
    int best;                     // when none does: the N that reaches the most
    double best_attenuation;      // dB that N reaches
    int measured;                 // lengths measured in full, of MAX_COEFFICIENTS - 1
    // The optimized table: the lengths the optimizer tried. Below a rounded
    // answer, every length from `lowest_tried` up to it (2: all of them);
    // without one, `optimized` lengths whose rounded tables came closest.
    int lowest_tried;
    int optimized;
    int rounded_shortest;  // the optimized table: the rounded table's answer (0: none)
};

// The optimizer's work a search of the optimized table may spend, in
// TableOptimizer's units: about as much as its longest designs take in a
// second and a half in the page.
constexpr std::int64_t OPTIMIZED_SEARCH_WORK = 400000000;
// The optimizer's work a step of the search does, so that a step stays short.
constexpr std::int64_t OPTIMIZER_STEP_WORK = 200000;

struct LengthSearchState;

// `design` holds the answers (any number of coefficients); `width` is the
// transition width in cycles per sample, above 0. Designs each length into
// `arrays` and measures the table `target` holds in `scratch`, both the
// caller's; `state` is the search's own (see below).
LengthSearch shortest_length(const FilterDesign& design, FilterType type, double width, Target target,
                             DesignArrays& arrays, ResponseScratch& scratch, LengthSearchState& state);

// The same search a few steps at a time, so that a page can go on between
// the pieces: start it, then continue it until it says it is done. A step
// is one length, or OPTIMIZER_STEP_WORK of the optimizer's work. All that a
// search knows between the pieces is in its state (about 4 MiB, with the
// optimizer's); the arrays and scratch passed to each piece hold nothing
// from one piece to the next, so several searches may go on side by side,
// each with its own state.
struct LengthSearchState {
    FilterDesign design;
    FilterType type;
    double width;
    Target target;      // the table searched
    Target measuring;   // the table the lengths are measured on: the rounded one, for the optimized
    int optimizing;     // the length the optimizer is at (0: none), and the next to try
    std::int64_t work_left;    // the optimizer's work left to this search
    bool measured_all;  // the measured table's search is over
    DesignBands optimizer_bands;
    TableOptimizer optimizer;
    double needed, pass_needed;  // the gains the stop and pass bands must keep to
    int next_count;              // the next length to try in order
    bool ranking;                // trying the rest by what they may reach
    bool done;
    LengthSearch result;
    // An upper bound on each length's attenuation, from its gains sampled by
    // screen screen_level[count] (-1: at the bands' edges alone); -inf once
    // a length is measured in full or cannot pass its pass band.
    double attenuation_bound[MAX_COEFFICIENTS + 1];
    int screen_level[MAX_COEFFICIENTS + 1];
    // What each length measured in full reached (-inf: not measured); for
    // the optimizer, how close each length's rounded table came, -inf once tried.
    double measured[MAX_COEFFICIENTS + 1];
};

void start_length_search(LengthSearchState& state, const FilterDesign& design, FilterType type, double width,
                         Target target);

// Goes on for at most `steps` steps; true once the result is final.
bool continue_length_search(LengthSearchState& state, int steps, DesignArrays& arrays, ResponseScratch& scratch);

// The length the search is at now, and whether the optimizer is at work.
int search_length_now(const LengthSearchState& state);
bool search_optimizing(const LengthSearchState& state);

// The attenuation N taps reach, measured in full, or -inf when their pass
// band loses more than 1 dB: what the search must agree with. The optimized
// table is optimized in `optimizer`.
double attenuation_for_length(FilterDesign design, FilterType type, double width, Target target, int count,
                              DesignArrays& arrays, ResponseScratch& scratch, TableOptimizer& optimizer);

#endif
