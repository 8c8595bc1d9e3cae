#include "web/response_measure.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "core/filter_stages.h"

namespace {

// The gain, as a fraction, at the crossings the page reports.
constexpr double HALF_GAIN = 0.5;                    // -6.02 dB
constexpr double HALF_POWER = 0.70710678118654752;   // -3.01 dB
// Local maxima of the stop band's spectrum searched between bins for the
// true peak: the worst few, of which the worst side lobe is one.
constexpr int REFINED_PEAKS = 4;

// The greatest exact gain near bin k, within the band [low, high]: golden-
// section search between the bins on either side.
double refined_peak(const TapFractions& taps, int count, int k, double low, double high)
{
    double a = std::fmax(low, (k - 1.0) / SPECTRUM_SIZE);
    double b = std::fmin(high, (k + 1.0) / SPECTRUM_SIZE);
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    double c = b - ratio * (b - a);
    double d = a + ratio * (b - a);
    double gc = exact_gain(taps, count, c);
    double gd = exact_gain(taps, count, d);
    for (int i = 0; i < 40; ++i) {
        if (gc > gd) {
            b = d;
            d = c;
            gd = gc;
            c = b - ratio * (b - a);
            gc = exact_gain(taps, count, c);
        } else {
            a = c;
            c = d;
            gc = gd;
            d = a + ratio * (b - a);
            gd = exact_gain(taps, count, d);
        }
    }
    return std::fmax(gc, gd);
}

// The greatest gain over [low, high]: the band's edges exactly, every bin
// inside, and the true peaks near the greatest local maxima. A bin next to
// an edge counts as a maximum when the gain falls from it into the band, as
// does a band with no bin inside: the peak may lie between it and the edge.
double greatest_gain(const TapFractions& taps, int count, const double (&gains)[RESPONSE_POINTS], double low, double high)
{
    const double low_gain = exact_gain(taps, count, low);
    const double high_gain = exact_gain(taps, count, high);
    double worst = std::fmax(low_gain, high_gain);
    const int first = static_cast<int>(std::ceil(low * SPECTRUM_SIZE));
    const int last = static_cast<int>(std::floor(high * SPECTRUM_SIZE));
    if (first > last) {
        return std::fmax(worst, refined_peak(taps, count, first, low, high));
    }
    int peaks[REFINED_PEAKS];
    int peak_count = 0;
    for (int k = first; k <= last; ++k) {
        worst = std::fmax(worst, gains[k]);
        const bool rises_to = k > first ? gains[k] >= gains[k - 1] : gains[k] >= low_gain;
        const bool falls_from = k < last ? gains[k] >= gains[k + 1] : gains[k] >= high_gain;
        // Where the gain falls from the first bin or rises to the last, a
        // peak may lie between it and the edge, whatever the bin shows.
        if ((k == first && falls_from) || (k == last && rises_to)) {
            worst = std::fmax(worst, refined_peak(taps, count, k, low, high));
            continue;
        }
        if (!(rises_to && falls_from)) {
            continue;
        }
        // Keep the REFINED_PEAKS greatest, greatest first.
        int at = REFINED_PEAKS - 1;
        if (peak_count < REFINED_PEAKS) {
            at = peak_count++;
        } else if (gains[k] <= gains[peaks[at]]) {
            continue;
        }
        peaks[at] = k;
        for (; at > 0 && gains[peaks[at - 1]] < gains[peaks[at]]; --at) {
            std::swap(peaks[at - 1], peaks[at]);
        }
    }
    for (int i = 0; i < peak_count; ++i) {
        worst = std::fmax(worst, refined_peak(taps, count, peaks[i], low, high));
    }
    return worst;
}

// The least gain over [low, high], edges and bins.
double least_gain(const TapFractions& taps, int count, const double (&gains)[RESPONSE_POINTS], double low, double high)
{
    double least = std::fmin(exact_gain(taps, count, low), exact_gain(taps, count, high));
    const int last = static_cast<int>(std::floor(high * SPECTRUM_SIZE));
    for (int k = static_cast<int>(std::ceil(low * SPECTRUM_SIZE)); k <= last; ++k) {
        least = std::fmin(least, gains[k]);
    }
    return least;
}

// Where the gain crosses `level` nearest the band edge `edge`, whose pass
// band lies toward `pass_side` (+1 above, -1 below): the bins bracket it,
// bisection on the exact gain finds it. In cycles per sample, or NaN.
double crossing(const TapFractions& taps, int count, const double (&gains)[RESPONSE_POINTS], double edge, int pass_side,
                double level)
{
    int k = static_cast<int>(std::lround(edge * SPECTRUM_SIZE));
    const int step = gains[k] >= level ? -pass_side : pass_side;
    while (k + step >= 0 && k + step < RESPONSE_POINTS && (gains[k + step] >= level) == (gains[k] >= level)) {
        k += step;
    }
    if (k + step < 0 || k + step >= RESPONSE_POINTS) {
        return NOT_A_FIGURE;
    }
    double passing = (step == pass_side ? k + step : k) / static_cast<double>(SPECTRUM_SIZE);
    double stopping = (step == pass_side ? k : k + step) / static_cast<double>(SPECTRUM_SIZE);
    for (int i = 0; i < 50; ++i) {
        const double middle = (passing + stopping) / 2;
        (exact_gain(taps, count, middle) >= level ? passing : stopping) = middle;
    }
    return (passing + stopping) / 2;
}

}  // namespace

DesignBands design_bands(const FilterDesign& design)
{
    return bands_for_width(design, kaiser_transition_width(design.stop_band_attenuation, design.number_of_coefficients));
}

DesignBands bands_for_width(const FilterDesign& design, double width)
{
    const double low = std::fmin(design.lower_edge, design.upper_edge);
    const double high = std::fmax(design.lower_edge, design.upper_edge);
    const double half = width > 0 ? width / 2 : 0;
    DesignBands bands{low > 0 ? low + half : 0, high < 0.5 ? high - half : 0.5, 0, {}, {}, 0};
    if (width > 0 && low > 0) {
        if (low - half > 0) {
            bands.stop_low[bands.stop_count] = 0;
            bands.stop_high[bands.stop_count++] = low - half;
        } else {
            bands.missing_stops |= MISSING_BELOW;
        }
    }
    if (width > 0 && high < 0.5) {
        if (high + half < 0.5) {
            bands.stop_low[bands.stop_count] = high + half;
            bands.stop_high[bands.stop_count++] = 0.5;
        } else {
            bands.missing_stops |= MISSING_ABOVE;
        }
    }
    return bands;
}

namespace {

// The greatest gain over the stop bands, from the full spectrum's `gains`.
double worst_stop_gain(const TapFractions& taps, int count, const double (&gains)[RESPONSE_POINTS], const DesignBands& bands)
{
    double worst = 0;
    for (int i = 0; i < bands.stop_count; ++i) {
        worst = std::fmax(worst, greatest_gain(taps, count, gains, bands.stop_low[i], bands.stop_high[i]));
    }
    return worst;
}

}  // namespace

double stop_band_attenuation(const TapFractions& taps, int count, const DesignBands& bands,
                             ResponseScratch& scratch)
{
    spectrum_gains(taps, count, scratch.spectrum, scratch.gains);
    return -to_db(worst_stop_gain(taps, count, scratch.gains, bands));
}

BandGains measure_band_gains(const TapFractions& taps, int count, const DesignBands& bands,
                             ResponseScratch& scratch)
{
    spectrum_gains(taps, count, scratch.spectrum, scratch.gains);
    const double (&gains)[RESPONSE_POINTS] = scratch.gains;
    const double middle = (bands.pass_low + bands.pass_high) / 2;
    return {bands.stop_count > 0 ? worst_stop_gain(taps, count, gains, bands) : 0.0,
            bands.pass_low < bands.pass_high ? least_gain(taps, count, gains, bands.pass_low, bands.pass_high)
                                             : exact_gain(taps, count, middle)};
}

double pass_band_deviation_db(const TapFractions& taps, int count, const DesignBands& bands,
                              const ResponseScratch& scratch)
{
    if (bands.pass_low >= bands.pass_high) {
        return std::fabs(to_db(exact_gain(taps, count, (bands.pass_low + bands.pass_high) / 2)));
    }
    const double least = least_gain(taps, count, scratch.gains, bands.pass_low, bands.pass_high);
    const double greatest = greatest_gain(taps, count, scratch.gains, bands.pass_low, bands.pass_high);
    return std::fmax(std::fabs(to_db(least)), std::fabs(to_db(greatest)));
}

BandGains sample_band_gains(const TapFractions& taps, int count, const DesignBands& bands,
                            int points_per_tap, SpectrumScratch& scratch)
{
    int size = 64;
    while (size < points_per_tap * count && size < SPECTRUM_SIZE) {
        size <<= 1;
    }
    transform_taps(taps, count, size, scratch);
    const double* const real_values = scratch.real_values;
    const double* const imaginary_values = scratch.imaginary_values;
    // Squared gains, compared as they are; one square root of each extreme.
    double stop_worst = 0.0;
    double pass_least = HUGE_VAL;
    const auto within = [](double f, double low, double high) { return f >= low && f <= high; };
    for (int k = 0; k <= size / 2; ++k) {
        const double f = static_cast<double>(k) / size;
        const double power = real_values[k] * real_values[k] + imaginary_values[k] * imaginary_values[k];
        for (int i = 0; i < bands.stop_count; ++i) {
            if (within(f, bands.stop_low[i], bands.stop_high[i])) {
                stop_worst = std::fmax(stop_worst, power);
            }
        }
        if (within(f, bands.pass_low, bands.pass_high)) {
            pass_least = std::fmin(pass_least, power);
        }
    }
    return {std::sqrt(stop_worst), std::sqrt(pass_least)};
}

BandGains edge_band_gains(const TapFractions& taps, int count, const DesignBands& bands)
{
    BandGains edges{0.0, HUGE_VAL};
    for (int i = 0; i < bands.stop_count; ++i) {
        edges.stop_worst = std::fmax(edges.stop_worst, std::fmax(exact_gain(taps, count, bands.stop_low[i]),
                                                                 exact_gain(taps, count, bands.stop_high[i])));
    }
    edges.pass_least = bands.pass_low < bands.pass_high
        ? std::fmin(exact_gain(taps, count, bands.pass_low), exact_gain(taps, count, bands.pass_high))
        : exact_gain(taps, count, (bands.pass_low + bands.pass_high) / 2);
    return edges;
}

void measure_response(const FilterDesign& design, const DesignBands& bands, const TapFractions& taps,
                      ResponseScratch& scratch, double (&gain_db)[RESPONSE_POINTS], ResponseFigures& figures)
{
    const int count = design.number_of_coefficients;
    spectrum_gains(taps, count, scratch.spectrum, scratch.gains);
    const double (&gains)[RESPONSE_POINTS] = scratch.gains;
    for (int k = 0; k < RESPONSE_POINTS; ++k) {
        gain_db[k] = to_db(gains[k]);
    }

    const double worst = worst_stop_gain(taps, count, gains, bands);
    figures.achieved_attenuation = bands.stop_count > 0 ? -to_db(worst) : NOT_A_FIGURE;
    const bool has_pass_band = bands.pass_low < bands.pass_high;
    figures.pass_lowest = has_pass_band ? to_db(least_gain(taps, count, gains, bands.pass_low, bands.pass_high))
                                        : NOT_A_FIGURE;
    figures.pass_highest = has_pass_band
        ? to_db(greatest_gain(taps, count, gains, bands.pass_low, bands.pass_high)) : NOT_A_FIGURE;

    // The band edges inside (0, 0.5), each with the side its pass band is on.
    const double low = std::fmin(design.lower_edge, design.upper_edge);
    const double high = std::fmax(design.lower_edge, design.upper_edge);
    int edges = 0;
    for (const auto& [edge, pass_side] : {std::pair<double, int>{low, +1}, {high, -1}}) {
        if (edge > 0 && edge < 0.5) {
            figures.band_edge[edges] = edge * design.sample_rate;
            figures.half_gain[edges] = crossing(taps, count, gains, edge, pass_side, HALF_GAIN) * design.sample_rate;
            figures.half_power[edges] = crossing(taps, count, gains, edge, pass_side, HALF_POWER) * design.sample_rate;
            ++edges;
        }
    }
    figures.edge_count = edges;
    for (; edges < 2; ++edges) {
        figures.band_edge[edges] = NOT_A_FIGURE;
        figures.half_gain[edges] = NOT_A_FIGURE;
        figures.half_power[edges] = NOT_A_FIGURE;
    }
    figures.peak_gain = to_db(greatest_gain(taps, count, gains, 0, 0.5));
    figures.taps_at_zero = 0;
    for (int i = 0; i < count; ++i) {
        figures.taps_at_zero += taps[i] == 0 ? 1 : 0;
    }
}
