#include "web/length_search.h"

#include <cmath>

#include "core/design_derivation.h"
#include "web/response_measure.h"

namespace {

constexpr int SHORTEST = 2;
// A sampled gain beyond the needed one by this factor rules a length out:
// the samples are bins of the full measurement, and the margin covers the
// rounding by which two spectra of different sizes differ.
constexpr double CLEAR_MARGIN = 1 + 1e-9;

// The screens a length passes before it is measured in full: its gains at
// the bands' edges alone (level -1), then those and spectra of at least
// one, two and eight points a tap, each a sharper and dearer bound.
constexpr int EDGES_ONLY = -1;
constexpr int SCREEN_POINTS_PER_TAP[] = {1, 2, 8};
constexpr int SCREENS = 3;

// Designs `count` taps into `arrays`, puts the table `target` holds in
// `table` and returns its bands.
DesignBands design_length(FilterDesign& design, FilterType type, double width, Target target, int count,
                          DesignArrays& arrays, TapFractions& table)
{
    design.number_of_coefficients = count;
    derive_design_values(design, type);
    design_filter(design, arrays);
    target_fractions(target, arrays, count, table);
    return bands_for_width(design, width);
}

// The attenuation a length reaches, or -inf when its pass band falls below
// PASS_BAND_LEAST_DB, so that a filter that passes nothing never counts.
double reached(const BandGains& gains)
{
    return to_db(gains.pass_least) < PASS_BAND_LEAST_DB ? -HUGE_VAL : -to_db(gains.stop_worst);
}

// Keeps a measured length if it is the best so far (the shorter of equals)
// and takes it out of the bounds.
void note_measured(LengthSearchState& state, int count, double attenuation)
{
    LengthSearch& search = state.result;
    if (attenuation > search.best_attenuation || (attenuation == search.best_attenuation && count < search.best)) {
        search.best = count;
        search.best_attenuation = attenuation;
    }
    state.attenuation_bound[count] = -HUGE_VAL;
}

// Samples the designed `count` taps by screen `level`, adding the spectrum's
// bins to their gains at the edges, `edges`; keeps the bound it gives, and
// says whether they may still reach the attenuation.
bool may_reach(LengthSearchState& state, int count, const DesignBands& bands, int level, const BandGains& edges,
               ResponseScratch& scratch)
{
    BandGains sampled = edges;
    if (level != EDGES_ONLY) {
        const BandGains bins = sample_band_gains(scratch.table, count, bands, SCREEN_POINTS_PER_TAP[level],
                                                 scratch.spectrum);
        sampled.stop_worst = std::fmax(sampled.stop_worst, bins.stop_worst);
        sampled.pass_least = std::fmin(sampled.pass_least, bins.pass_least);
    }
    const bool passes = sampled.pass_least * CLEAR_MARGIN >= state.pass_needed;
    state.attenuation_bound[count] = passes ? -to_db(sampled.stop_worst / CLEAR_MARGIN) : -HUGE_VAL;
    state.screen_level[count] = level;
    return passes && sampled.stop_worst <= state.needed * CLEAR_MARGIN;
}

// Screens the designed `count` taps, edges first; true when they pass every
// screen and must be measured in full. Taps ruled out by their edges'
// stop-band gains alone get a first spectrum while they are designed, to
// sharpen the bound a ranking may need.
bool passes_screens(LengthSearchState& state, int count, const DesignBands& bands, ResponseScratch& scratch)
{
    const BandGains edges = edge_band_gains(scratch.table, count, bands);
    for (int level = EDGES_ONLY; level < SCREENS; ++level) {
        if (!may_reach(state, count, bands, level, edges, scratch)) {
            if (level == EDGES_ONLY && state.attenuation_bound[count] != -HUGE_VAL) {
                may_reach(state, count, bands, 0, edges, scratch);
            }
            return false;
        }
    }
    return true;
}

}  // namespace

double attenuation_for_length(FilterDesign design, FilterType type, double width, Target target, int count,
                              DesignArrays& arrays, ResponseScratch& scratch)
{
    const DesignBands bands = design_length(design, type, width, target, count, arrays, scratch.table);
    return reached(measure_band_gains(scratch.table, count, bands, scratch));
}

void start_length_search(LengthSearchState& state, const FilterDesign& design, FilterType type, double width,
                         Target target)
{
    state.design = design;
    state.type = type;
    state.width = width;
    state.target = target;
    state.needed = std::pow(10.0, -design.stop_band_attenuation / 20.0);
    state.pass_needed = std::pow(10.0, PASS_BAND_LEAST_DB / 20.0);
    state.next_count = SHORTEST;
    state.ranking = false;
    state.done = false;
    state.result = {0, 0, 0, -HUGE_VAL, 0};
}

bool continue_length_search(LengthSearchState& state, int lengths, DesignArrays& arrays, ResponseScratch& scratch)
{
    LengthSearch& search = state.result;
    // First every length in order, ruled out by its sampled gains or measured.
    for (; !state.ranking && !state.done && lengths > 0; --lengths) {
        const int count = state.next_count++;
        if (count > MAX_COEFFICIENTS) {
            state.ranking = true;
            break;
        }
        const DesignBands bands = design_length(state.design, state.type, state.width, state.target, count, arrays,
                                                scratch.table);
        if (!passes_screens(state, count, bands, scratch)) {
            continue;
        }
        ++search.measured;
        const double attenuation = reached(measure_band_gains(scratch.table, count, bands, scratch));
        if (attenuation >= state.design.stop_band_attenuation) {
            search.shortest = count;
            search.shortest_attenuation = attenuation;
            state.done = true;
        } else {
            note_measured(state, count, attenuation);
        }
    }
    // None reaches it: the other lengths in order of what they may reach,
    // each bound sharpened by the next screen before it is measured in full,
    // until none left may reach the best measured.
    for (; state.ranking && !state.done && lengths > 0; --lengths) {
        int next = SHORTEST;
        for (int count = SHORTEST; count <= MAX_COEFFICIENTS; ++count) {
            if (state.attenuation_bound[count] > state.attenuation_bound[next]) {
                next = count;
            }
        }
        const double bound = state.attenuation_bound[next];
        if (bound == -HUGE_VAL || bound < search.best_attenuation
            || (bound == search.best_attenuation && next > search.best)) {
            state.done = true;
            break;
        }
        if (state.screen_level[next] + 1 < SCREENS) {
            const DesignBands bands = design_length(state.design, state.type, state.width, state.target, next, arrays,
                                                    scratch.table);
            may_reach(state, next, bands, state.screen_level[next] + 1, edge_band_gains(scratch.table, next, bands),
                      scratch);
            continue;
        }
        ++search.measured;
        note_measured(state, next, attenuation_for_length(state.design, state.type, state.width, state.target, next,
                                                          arrays, scratch));
    }
    return state.done;
}

LengthSearch shortest_length(const FilterDesign& design, FilterType type, double width, Target target,
                             DesignArrays& arrays, ResponseScratch& scratch)
{
    LengthSearchState state{};
    start_length_search(state, design, type, width, target);
    while (!continue_length_search(state, MAX_COEFFICIENTS, arrays, scratch)) {
    }
    return state.result;
}
