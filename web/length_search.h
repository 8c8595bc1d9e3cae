// The shortest length whose table meets the need: the least N from 2 to
// MAX_COEFFICIENTS whose taps, as a target holds them, reach the requested
// attenuation over every stop band that begins half a transition width
// beyond its edge, measured as stop_band_attenuation measures, while the
// pass band, half a width inside each edge, loses at most 1 dB (so that a
// filter whose taps pass nothing never counts); or, where no N does, the N
// that reaches the most. The answer is that of measuring every N; most N are
// ruled out by a small spectrum instead.
#ifndef FIR_DESIGN_LENGTH_SEARCH_H
#define FIR_DESIGN_LENGTH_SEARCH_H

#include "core/design_filter.h"
#include "core/filter_design_record.h"
#include "web/response_measure.h"
#include "web/target_table.h"

// The least gain, in dB, the pass band may have for a length to count.
constexpr double PASS_BAND_LEAST_DB = -1.0;

struct LengthSearch {
    int shortest;                 // the least N that reaches the attenuation; 0 when none does
    double shortest_attenuation;  // dB it reaches
    int best;                     // when none does: the N that reaches the most
    double best_attenuation;      // dB that N reaches
    int measured;                 // lengths measured in full, of MAX_COEFFICIENTS - 1
};

// `design` holds the answers (any number of coefficients); `width` is the
// transition width in cycles per sample, above 0. Designs each length into
// `arrays` and measures the table `target` holds in `scratch`, both the
// caller's.
LengthSearch shortest_length(const FilterDesign& design, FilterType type, double width, Target target,
                             DesignArrays& arrays, ResponseScratch& scratch);

// The same search a few lengths at a time, so that a page can go on between
// the pieces: start it, then continue it until it says it is done. All that
// a search knows between the pieces is in its state; the arrays and scratch
// passed to each piece hold nothing from one piece to the next, so several
// searches may go on side by side, each with its own state.
struct LengthSearchState {
    FilterDesign design;
    FilterType type;
    double width;
    Target target;
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
};

void start_length_search(LengthSearchState& state, const FilterDesign& design, FilterType type, double width,
                         Target target);

// Goes on for at most `lengths` lengths; true once the result is final.
bool continue_length_search(LengthSearchState& state, int lengths, DesignArrays& arrays, ResponseScratch& scratch);

// The attenuation N taps reach, measured in full, or -inf when their pass
// band loses more than 1 dB: what the search must agree with.
double attenuation_for_length(FilterDesign design, FilterType type, double width, Target target, int count,
                              DesignArrays& arrays, ResponseScratch& scratch);

#endif
