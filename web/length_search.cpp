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
    state.measured[count] = attenuation;
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

// One step of the search on the measured table: the next length in order,
// ruled out by its sampled gains or measured; or, once none reaches the
// attenuation, the length that may reach the most, its bound sharpened by
// the next screen or measured in full, until none left may reach the best
// measured.
void measure_next(LengthSearchState& state, DesignArrays& arrays, ResponseScratch& scratch)
{
    LengthSearch& search = state.result;
    if (!state.ranking) {
        const int count = state.next_count++;
        if (count > MAX_COEFFICIENTS) {
            state.ranking = true;
            return;
        }
        const DesignBands bands = design_length(state.design, state.type, state.width, state.measuring, count, arrays,
                                                scratch.table);
        if (!passes_screens(state, count, bands, scratch)) {
            return;
        }
        ++search.measured;
        const double attenuation = reached(measure_band_gains(scratch.table, count, bands, scratch));
        if (attenuation >= state.design.stop_band_attenuation) {
            search.shortest = count;
            search.shortest_attenuation = attenuation;
            state.measured_all = true;
        } else {
            note_measured(state, count, attenuation);
        }
        return;
    }
    int next = SHORTEST;
    for (int count = SHORTEST; count <= MAX_COEFFICIENTS; ++count) {
        if (state.attenuation_bound[count] > state.attenuation_bound[next]) {
            next = count;
        }
    }
    const double bound = state.attenuation_bound[next];
    if (bound == -HUGE_VAL || bound < search.best_attenuation
        || (bound == search.best_attenuation && next > search.best)) {
        state.measured_all = true;
        return;
    }
    const DesignBands bands = design_length(state.design, state.type, state.width, state.measuring, next, arrays,
                                            scratch.table);
    if (state.screen_level[next] + 1 < SCREENS) {
        may_reach(state, next, bands, state.screen_level[next] + 1, edge_band_gains(scratch.table, next, bands),
                  scratch);
        return;
    }
    ++search.measured;
    note_measured(state, next, reached(measure_band_gains(scratch.table, next, bands, scratch)));
}

// After the rounded table's search: where it found a length, the optimizer
// goes down from there; where it found none, `measured` becomes how close
// each length came, measured or bounded, for the optimizer to try the
// closest first.
void begin_optimizing(LengthSearchState& state)
{
    LengthSearch& search = state.result;
    state.optimizing = 0;
    search.rounded_shortest = search.shortest;
    search.lowest_tried = search.shortest > 0 ? search.shortest + 1 : 0;
    if (search.shortest == 0) {
        for (int count = SHORTEST; count <= MAX_COEFFICIENTS; ++count) {
            state.measured[count] = std::fmax(state.measured[count], state.attenuation_bound[count]);
        }
    }
    search.shortest = 0;
    search.shortest_attenuation = 0;
    search.best = 0;
    search.best_attenuation = -HUGE_VAL;
}

// The next length for the optimizer, or 0 when none is left or the work is
// spent: below a rounded answer, the next shorter one that can pass its
// pass band (an even length cannot pass half the sample rate); without one,
// the closest left.
int next_to_optimize(LengthSearchState& state)
{
    LengthSearch& search = state.result;
    if (state.work_left <= 0) {
        return 0;
    }
    if (search.lowest_tried > 0) {
        for (int count = search.lowest_tried - 1; count >= SHORTEST; --count) {
            FilterDesign design = state.design;
            design.number_of_coefficients = count;
            derive_design_values(design, state.type);
            if (count % 2 == 1 || bands_for_width(design, state.width).pass_high < 0.5) {
                return count;
            }
            search.lowest_tried = count;
        }
        return 0;
    }
    int closest = SHORTEST;
    for (int count = SHORTEST; count <= MAX_COEFFICIENTS; ++count) {
        if (state.measured[count] > state.measured[closest]) {
            closest = count;
        }
    }
    return state.measured[closest] == -HUGE_VAL ? 0 : closest;
}

// One step of the optimizer's part: a piece of the optimization under way,
// or the start of the next.
void optimize_next(LengthSearchState& state, DesignArrays& arrays, ResponseScratch& scratch)
{
    LengthSearch& search = state.result;
    TableOptimizer& optimizer = state.optimizer;
    if (state.optimizing == 0) {
        const int count = next_to_optimize(state);
        if (count == 0) {
            state.done = true;
            return;
        }
        state.optimizing = count;
        state.optimizer_bands = design_length(state.design, state.type, state.width, Target::Q15_ROUNDED, count,
                                              arrays, scratch.table);
        start_optimizing(optimizer, scratch.table, count, state.optimizer_bands, scratch);
        state.work_left -= optimizer.work;
        return;
    }
    const std::int64_t before = optimizer.work;
    const bool finished = continue_optimizing(optimizer, OPTIMIZER_STEP_WORK, state.optimizer_bands, scratch);
    state.work_left -= optimizer.work - before;
    if (!finished) {
        return;
    }
    const int count = state.optimizing;
    const double attenuation = reached(optimizer.gains);
    state.optimizing = 0;
    ++search.optimized;
    state.measured[count] = -HUGE_VAL;
    if (search.lowest_tried > 0) {
        search.lowest_tried = count;
    }
    if (attenuation >= state.design.stop_band_attenuation && (search.shortest == 0 || count < search.shortest)) {
        search.shortest = count;
        search.shortest_attenuation = attenuation;
    }
    if (attenuation > search.best_attenuation || (attenuation == search.best_attenuation && count < search.best)) {
        search.best = count;
        search.best_attenuation = attenuation;
    }
}

}  // namespace

double attenuation_for_length(FilterDesign design, FilterType type, double width, Target target, int count,
                              DesignArrays& arrays, ResponseScratch& scratch, TableOptimizer& optimizer)
{
    const DesignBands bands = design_length(design, type, width, target, count, arrays, scratch.table);
    if (target == Target::Q15_OPTIMIZED) {
        optimize_table(optimizer, scratch.table, count, bands, scratch);
        return reached(optimizer.gains);
    }
    return reached(measure_band_gains(scratch.table, count, bands, scratch));
}

void start_length_search(LengthSearchState& state, const FilterDesign& design, FilterType type, double width,
                         Target target)
{
    state.design = design;
    state.type = type;
    state.width = width;
    state.target = target;
    state.measuring = target == Target::Q15_OPTIMIZED ? Target::Q15_ROUNDED : target;
    state.needed = std::pow(10.0, -design.stop_band_attenuation / 20.0);
    state.pass_needed = std::pow(10.0, PASS_BAND_LEAST_DB / 20.0);
    state.next_count = SHORTEST;
    state.ranking = false;
    state.measured_all = false;
    state.done = false;
    state.optimizing = 0;
    state.work_left = OPTIMIZED_SEARCH_WORK;
    state.result = {0, 0, 0, -HUGE_VAL, 0, 0, 0, 0};
    for (double& attenuation : state.measured) {
        attenuation = -HUGE_VAL;
    }
}

bool continue_length_search(LengthSearchState& state, int steps, DesignArrays& arrays, ResponseScratch& scratch)
{
    for (; steps > 0 && !state.done; --steps) {
        if (state.measured_all) {
            optimize_next(state, arrays, scratch);
            continue;
        }
        measure_next(state, arrays, scratch);
        if (state.measured_all && state.target != Target::Q15_OPTIMIZED) {
            state.done = true;
        } else if (state.measured_all) {
            begin_optimizing(state);
        }
    }
    return state.done;
}

int search_length_now(const LengthSearchState& state)
{
    return state.optimizing != 0 ? state.optimizing : state.next_count;
}

bool search_optimizing(const LengthSearchState& state)
{
    return state.measured_all && !state.done;
}

LengthSearch shortest_length(const FilterDesign& design, FilterType type, double width, Target target,
                             DesignArrays& arrays, ResponseScratch& scratch, LengthSearchState& state)
{
    start_length_search(state, design, type, width, target);
    while (!continue_length_search(state, MAX_COEFFICIENTS, arrays, scratch)) {
    }
    return state.result;
}
