#include "web/table_optimizer.h"

#include <cmath>
#include <utility>

#include "core/fixed_point.h"

namespace {

const double TWO_PI = 2 * std::acos(-1.0);

// Grid points for every 1 / count of frequency in the stop bands (a side
// lobe is about that wide, and its top then lies within 0.7 dB of a point)
// and in the pass band, whose ripple is held to hundredths of a dB.
constexpr int STOP_POINTS_PER_LOBE = 8;
constexpr int PASS_POINTS_PER_LOBE = 16;
// The most one step of a pair changes a gain by: two taps of 1/32768.
constexpr double STEP_GAIN = 2 / Q15;
// Points within this of the worst gain or the pass band's limits are
// followed closely: one or two steps cannot take any other point past them.
constexpr double NEAR = 2.5 * STEP_GAIN;
// Taps a stalled search tries first for the two-step moves: those that
// lower the worst point the most.
constexpr int PAIR_FIRST_TAPS = 24;
// The least gain a measurement tells from 0 (to_db's -240 dB).
constexpr double GAIN_FLOOR = 1e-12;
// A measurement in full, in the units of a try at one point.
constexpr std::int64_t MEASUREMENT_WORK = std::int64_t{16} * SPECTRUM_SIZE;
// A grid held this far inside the pass band's limits leaves room for what
// lies between its points.
constexpr double PASS_MARGIN_DB = 0.01;

// Distance from the centre of half-table entry m, and its weight in the
// gain: the centre tap of an odd length counts once, every pair twice.
double offset_of(const TableOptimizer& o, int m)
{
    return o.odd ? m : m + 0.5;
}
double weight_of(const TableOptimizer& o, int m)
{
    return o.odd && m == 0 ? 1.0 : 2.0;
}

// Index in filter order of the upper tap of pair m.
int upper_tap(const TableOptimizer& o, int m)
{
    return o.count / 2 + m;
}

// gain of one step of pair m at f: weight cos(2 pi f offset) / 32768, for
// every m at once, by the recurrence of cos(k x).
void pair_gains_at(const TableOptimizer& o, double f, double* row)
{
    const double step = TWO_PI * f;
    const double twice_cos = 2 * std::cos(step);
    double previous = std::cos(offset_of(o, 0) * step - step);
    double current = std::cos(offset_of(o, 0) * step);
    for (int m = 0; m < o.half; ++m) {
        row[m] = weight_of(o, m) * current / Q15;
        const double next = twice_cos * current - previous;
        previous = current;
        current = next;
    }
}

bool is_stop(const TableOptimizer& o, int j)
{
    return j < o.stop_points;
}

// One step of pair m at every point, into o.column, not yet scaled by the
// pair's weight / 32768: along each run of consecutive bins by the
// recurrence of cos(k x) four bins apart (four independent chains, which a
// processor computes side by side), elsewhere directly.
void fill_column(TableOptimizer& o, int m)
{
    const double t = offset_of(o, m);
    for (int j = 0; j < o.points; ++j) {
        if (!o.follows[j]) {
            o.column[j] = std::cos(TWO_PI * o.frequency[j] * t);
        }
    }
    for (int j = 0; j < o.points;) {
        if (!o.follows[j]) {
            ++j;
            continue;
        }
        const double twice_cos = 2 * std::cos(4 * TWO_PI * t / o.grid_size[is_stop(o, j) ? 0 : 1]);
        for (; j < o.points && o.follows[j]; ++j) {
            o.column[j] = twice_cos * o.column[j - 4] - o.column[j - 8];
        }
    }
}

// The signed gain at every point from the integers: bins through one
// transform of the half table, band edges summed directly.
void compute_gains(TableOptimizer& o, int first, int last, int size, ResponseScratch& scratch)
{
    TapFractions& values = o.table;  // free until the result goes there
    for (int m = 0; m < o.half; ++m) {
        values[m] = weight_of(o, m) * o.integers[m] / Q15;
    }
    transform_taps(values, o.half, size, scratch.spectrum);
    for (int j = first; j < last; ++j) {
        const int k = o.bin[j];
        if (k >= 0) {
            // sum of v[m] cos(2 pi k (m + shift) / size), shift 0 or 1/2
            const double re = scratch.spectrum.real_values[k];
            const double im = scratch.spectrum.imaginary_values[k];
            const double turn = o.odd ? 0.0 : std::acos(-1.0) * k / size;
            o.gain[j] = re * std::cos(turn) + im * std::sin(turn);
        } else {
            double sum = 0;
            for (int m = 0; m < o.half; ++m) {
                sum += values[m] * std::cos(TWO_PI * o.frequency[j] * offset_of(o, m));
            }
            o.gain[j] = sum;
        }
    }
}

// Adds the points of [low, high]: every bin of a `size`-point spectrum
// inside, and both ends exactly (one point for a band without width).
void add_band(TableOptimizer& o, double low, double high, int size)
{
    const auto add = [&o, size](double f) {
        const double bin = f * size;
        o.bin[o.points] = bin == std::floor(bin) ? static_cast<int>(bin) : -1;
        o.frequency[o.points++] = f;
    };
    add(low);
    for (int k = static_cast<int>(std::floor(low * size)) + 1; k < high * size; ++k) {
        add(static_cast<double>(k) / size);
    }
    if (high > low) {
        add(high);
    }
}

// Finds the points near the worst stop-band gain or near the pass band's
// limits; the pass band's only where `pass_slack`, how far inside its limits
// it stays, says some may be. A point that stays near keeps its slot; one
// that comes near takes a free slot and gets each pair's gain there. Where
// more are near than fit, every try is also checked at every point.
void find_near_points(TableOptimizer& o, double pass_slack)
{
    const auto close = [&o](int j) {
        const double g = std::fabs(o.gain[j]);
        return is_stop(o, j) ? g >= o.worst - NEAR : g >= o.greatest_allowed[j] - NEAR || g <= o.least_allowed[j] + NEAR;
    };
    for (int p = 0; p < o.near_count; ++p) {
        if (o.near_point[p] >= 0 && !close(o.near_point[p])) {
            o.slot_of[o.near_point[p]] = -1;
            o.near_point[p] = -1;
        }
    }
    o.near_complete = true;
    int free_slot = 0;
    const int last = pass_slack <= NEAR ? o.points : o.stop_points;
    const double stop_near = o.worst - NEAR;
    for (int j = 0; j < last; ++j) {
        // The common case first, without a call: a point far from every limit.
        const double g = std::fabs(o.gain[j]);
        const bool far = j < o.stop_points ? g < stop_near
                                           : g < o.greatest_allowed[j] - NEAR && g > o.least_allowed[j] + NEAR;
        if (far || o.slot_of[j] >= 0) {
            continue;
        }
        while (free_slot < MAX_NEAR_POINTS && free_slot < o.near_count && o.near_point[free_slot] >= 0) {
            ++free_slot;
        }
        if (free_slot == MAX_NEAR_POINTS) {
            o.near_complete = false;
            continue;
        }
        o.near_point[free_slot] = j;
        o.slot_of[j] = free_slot;
        o.work += o.half;
        pair_gains_at(o, o.frequency[j], o.near_basis[free_slot]);
        if (free_slot == o.near_count) {
            ++o.near_count;
        }
    }
}

// Adds `scale` times o.column to the gains; with `last`, finds the worst
// stop-band gain as it goes and returns how far the pass band stays inside
// its limits.
double add_column(TableOptimizer& o, double scale, bool last)
{
    if (!last) {
        for (int j = 0; j < o.points; ++j) {
            o.gain[j] += scale * o.column[j];
        }
        return 0;
    }
    // Plain comparisons: fmax and fmin are calls where they are not built in.
    double worst = 0;
    for (int j = 0; j < o.stop_points; ++j) {
        o.gain[j] += scale * o.column[j];
        const double g = std::fabs(o.gain[j]);
        worst = g > worst ? g : worst;
    }
    o.worst = worst;
    double slack = HUGE_VAL;
    for (int j = o.stop_points; j < o.points; ++j) {
        o.gain[j] += scale * o.column[j];
        const double g = std::fabs(o.gain[j]);
        const double room = o.greatest_allowed[j] - g < g - o.least_allowed[j] ? o.greatest_allowed[j] - g
                                                                                : g - o.least_allowed[j];
        slack = room < slack ? room : slack;
    }
    return slack;
}

// Whether changing pair m1 by s1 and pair m2 by s2 (s2 = 0: one pair alone)
// keeps the pass band within its limits and lowers the worst stop-band gain
// at the near points below `bound`; the new worst there goes to *worst.
bool lowers_near(const TableOptimizer& o, int m1, int s1, int m2, int s2, double bound, double* worst)
{
    double greatest = 0;
    for (int p = 0; p < o.near_count; ++p) {
        if (o.near_point[p] < 0) {
            continue;
        }
        const double* row = o.near_basis[p];
        const double g = std::fabs(o.gain[o.near_point[p]] + s1 * row[m1] + (s2 != 0 ? s2 * row[m2] : 0.0));
        if (is_stop(o, o.near_point[p])) {
            greatest = std::fmax(greatest, g);
            if (greatest >= bound) {
                return false;
            }
        } else if (g > o.greatest_allowed[o.near_point[p]] || g < o.least_allowed[o.near_point[p]]) {
            return false;
        }
    }
    *worst = greatest;
    return true;
}

// The same at every point, for when not every near point fits.
bool lowers_everywhere(TableOptimizer& o, int m1, int s1, int m2, int s2)
{
    o.work += 3L * o.points;
    static double change[MAX_OPTIMIZER_POINTS];
    fill_column(o, m1);
    const double scale1 = s1 * weight_of(o, m1) / Q15;
    for (int j = 0; j < o.points; ++j) {
        change[j] = scale1 * o.column[j];
    }
    if (s2 != 0) {
        fill_column(o, m2);
        const double scale2 = s2 * weight_of(o, m2) / Q15;
        for (int j = 0; j < o.points; ++j) {
            change[j] += scale2 * o.column[j];
        }
    }
    for (int j = 0; j < o.points; ++j) {
        const double g = std::fabs(o.gain[j] + change[j]);
        if (is_stop(o, j) ? g >= o.worst : g > o.greatest_allowed[j] || g < o.least_allowed[j]) {
            return false;
        }
    }
    return true;
}

bool in_range(int value)
{
    return value >= Q15_MIN && value <= Q15_MAX;
}

// Makes the step: the integers, and the gains at every point.
void take_step(TableOptimizer& o, int m1, int s1, int m2, int s2)
{
    o.work += std::int64_t{3} * o.points;
    double slack = 0;
    for (const auto& [m, s] : {std::pair<int, int>{m1, s1}, {m2, s2}}) {
        if (s != 0) {
            o.integers[m] += s;
            fill_column(o, m);
            slack = add_column(o, s * weight_of(o, m) / Q15, m == m2 || s2 == 0);
        }
    }
    ++o.steps;
    ++o.steps_in_pass;
    find_near_points(o, slack);
}

// Tries one step of pair m either way; true when one was taken.
bool try_pair(TableOptimizer& o, int m)
{
    for (const int s : {+1, -1}) {
        double worst = 0;
        if (in_range(o.integers[m] + s) && lowers_near(o, m, s, 0, 0, o.worst, &worst)
            && (o.near_complete || lowers_everywhere(o, m, s, 0, 0))) {
            take_step(o, m, s, 0, 0);
            return true;
        }
    }
    return false;
}

// The near slot of the worst stop-band point, or -1.
int worst_slot_of(const TableOptimizer& o)
{
    int worst_slot = -1;
    for (int p = 0; p < o.near_count; ++p) {
        const int j = o.near_point[p];
        if (j >= 0 && is_stop(o, j) && std::fabs(o.gain[j]) == o.worst) {
            worst_slot = p;
        }
    }
    return worst_slot;
}

// The PAIR_FIRST_TAPS pairs whose step changes a point most (`row`, each
// pair's gain there), most first, into `first`; returns how many.
int strongest_pairs(const TableOptimizer& o, const double* row, int (&first)[PAIR_FIRST_TAPS])
{
    int chosen = 0;
    for (int m = 0; m < o.half; ++m) {
        if (chosen == PAIR_FIRST_TAPS && std::fabs(row[m]) <= std::fabs(row[first[chosen - 1]])) {
            continue;
        }
        int at = chosen < PAIR_FIRST_TAPS ? chosen++ : PAIR_FIRST_TAPS - 1;
        for (; at > 0 && std::fabs(row[m]) > std::fabs(row[first[at - 1]]); --at) {
            first[at] = first[at - 1];
        }
        first[at] = m;
    }
    return chosen;
}

// Two steps, as changes of pairs: m1 by s1 and m2 by s2.
struct TwoSteps {
    int m1, s1, m2, s2;
};

// Of the second steps to go with pair m1's step s1, the one that lowers the
// worst near gain below *best the most, into *move (which *best then holds).
void best_second_step(const TableOptimizer& o, int m1, int s1, double* best, TwoSteps* move)
{
    for (int m2 = 0; m2 < o.half; ++m2) {
        for (const int s2 : {+1, -1}) {
            double worst = 0;
            if (m2 != m1 && in_range(o.integers[m2] + s2) && lowers_near(o, m1, s1, m2, s2, *best, &worst)) {
                *best = worst;
                *move = {m1, s1, m2, s2};
            }
        }
    }
}

// Once no single step helps: two steps at once, the first among the
// PAIR_FIRST_TAPS steps that lower the worst point most, the second any;
// the pair that lowers the worst near gain most is taken. True when one
// lowered the worst gain.
bool try_two_steps(TableOptimizer& o)
{
    const int worst_slot = worst_slot_of(o);
    if (worst_slot < 0) {
        return false;
    }
    const double* worst_row = o.near_basis[worst_slot];
    const double sign = o.gain[o.near_point[worst_slot]] > 0 ? 1.0 : -1.0;
    int first[PAIR_FIRST_TAPS];
    const int chosen = strongest_pairs(o, worst_row, first);
    double best = o.worst;
    TwoSteps move{};
    for (int i = 0; i < chosen; ++i) {
        const int s1 = worst_row[first[i]] * sign > 0 ? -1 : +1;  // the step that lowers the worst point
        if (in_range(o.integers[first[i]] + s1)) {
            best_second_step(o, first[i], s1, &best, &move);
        }
    }
    if (best < o.worst && (o.near_complete || lowers_everywhere(o, move.m1, move.s1, move.m2, move.s2))) {
        take_step(o, move.m1, move.s1, move.m2, move.s2);
        return true;
    }
    return false;
}

// The table of the integers, in filter order.
void fill_table(const TableOptimizer& o, TapFractions& table)
{
    for (int m = 0; m < o.half; ++m) {
        const double tap = o.integers[m] / Q15;
        table[upper_tap(o, m)] = tap;
        table[o.count - 1 - upper_tap(o, m)] = tap;
    }
}

// Measures the result as the page measures a table and keeps it only where
// it does better than the rounded table within the pass band's allowance.
void finish(TableOptimizer& o, const DesignBands& bands, ResponseScratch& scratch)
{
    o.work += MEASUREMENT_WORK;
    fill_table(o, o.table);
    o.gains = measure_band_gains(o.table, o.count, bands, scratch);
    const double deviation = pass_band_deviation_db(o.table, o.count, bands, scratch);
    if (!(o.gains.stop_worst < o.rounded_gains.stop_worst
          && deviation <= o.rounded_deviation_db + PASS_BAND_ALLOWANCE_DB)) {
        o.table = o.rounded;
        o.gains = o.rounded_gains;
    }
    o.done = true;
}

}  // namespace

void start_optimizing(TableOptimizer& o, const TapFractions& rounded, int count, const DesignBands& bands,
                      ResponseScratch& scratch)
{
    o.count = count;
    o.half = (count + 1) / 2;
    o.odd = count % 2 == 1;
    o.rounded = rounded;
    o.table = rounded;
    for (int m = 0; m < o.half; ++m) {
        o.integers[m] = static_cast<int>(std::lround(o.rounded[upper_tap(o, m)] * Q15));
    }
    o.rounded_gains = measure_band_gains(o.rounded, count, bands, scratch);
    o.rounded_deviation_db = pass_band_deviation_db(o.rounded, count, bands, scratch);
    o.work = MEASUREMENT_WORK + static_cast<std::int64_t>(count) * count;
    o.gains = o.rounded_gains;
    o.pass = 0;
    o.next_tap = 0;
    o.steps_in_pass = 0;
    o.steps = 0;
    o.done = bands.stop_count == 0;
    if (o.done) {
        return;
    }
    for (int band = 0; band < 2; ++band) {
        const int wanted = (band == 0 ? STOP_POINTS_PER_LOBE : PASS_POINTS_PER_LOBE) * count;
        o.grid_size[band] = 64;
        while (o.grid_size[band] < wanted && o.grid_size[band] < SPECTRUM_SIZE) {
            o.grid_size[band] <<= 1;
        }
    }
    o.points = 0;
    o.near_count = 0;
    for (int i = 0; i < bands.stop_count; ++i) {
        add_band(o, bands.stop_low[i], bands.stop_high[i], o.grid_size[0]);
    }
    o.stop_points = o.points;
    const double middle = (bands.pass_low + bands.pass_high) / 2;
    add_band(o, bands.pass_low < bands.pass_high ? bands.pass_low : middle,
             bands.pass_low < bands.pass_high ? bands.pass_high : middle, o.grid_size[1]);
    for (int j = 0; j < o.points; ++j) {
        o.slot_of[j] = -1;
        // The ninth of a run of bins in the same band follows from the bins 4
        // and 8 before.
        o.follows[j] = j >= 8 && o.bin[j] >= 8 && o.bin[j - 8] == o.bin[j] - 8 && is_stop(o, j - 8) == is_stop(o, j);
    }
    compute_gains(o, 0, o.stop_points, o.grid_size[0], scratch);
    compute_gains(o, o.stop_points, o.points, o.grid_size[1], scratch);
    const double allowed = o.rounded_deviation_db + PASS_BAND_ALLOWANCE_DB - PASS_MARGIN_DB;
    const double allowance = std::pow(10.0, (PASS_BAND_ALLOWANCE_DB - PASS_MARGIN_DB) / 20);
    for (int j = o.stop_points; j < o.points; ++j) {
        const double g = std::fabs(o.gain[j]);
        o.greatest_allowed[j] = std::fmax(std::pow(10.0, allowed / 20), g * allowance);
        o.least_allowed[j] = std::fmin(std::pow(10.0, -allowed / 20), g / allowance);
        // Below -240 dB, where every measurement stops, no floor: a zero
        // that an even length forces may stay the zero it is.
        o.least_allowed[j] = o.least_allowed[j] < GAIN_FLOOR ? 0 : o.least_allowed[j];
    }
    o.worst = 0;
    for (int j = 0; j < o.stop_points; ++j) {
        o.worst = std::fmax(o.worst, std::fabs(o.gain[j]));
    }
    find_near_points(o, 0);
}

bool continue_optimizing(TableOptimizer& o, std::int64_t work, const DesignBands& bands, ResponseScratch& scratch)
{
    const std::int64_t end = o.work + work;
    while (!o.done && o.work < end) {
        // A try costs about as much as the points it is checked at.
        o.work += o.near_complete ? o.near_count + 1 : o.points;
        if (o.next_tap < o.half) {
            try_pair(o, o.next_tap++);
            continue;
        }
        // A pass over the taps is over: where it took no step, two at once.
        o.work += static_cast<std::int64_t>(PAIR_FIRST_TAPS) * o.half * (o.near_count + 1);
        const bool stalled = o.steps_in_pass == 0 && !try_two_steps(o);
        ++o.pass;
        o.next_tap = 0;
        o.steps_in_pass = 0;
        if (stalled || o.pass >= MAX_OPTIMIZER_PASSES) {
            finish(o, bands, scratch);
        }
    }
    return o.done;
}

void optimize_table(TableOptimizer& optimizer, const TapFractions& rounded, int count, const DesignBands& bands,
                    ResponseScratch& scratch)
{
    start_optimizing(optimizer, rounded, count, bands, scratch);
    while (!continue_optimizing(optimizer, std::int64_t{1} << 50, bands, scratch)) {
    }
}
