#include "web/response_measure.h"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

#include "frontend/fixed_point.h"

namespace {

constexpr double NOT_A_FIGURE = std::numeric_limits<double>::quiet_NaN();
// The gain, as a fraction, at the crossings the page reports.
constexpr double HALF_GAIN = 0.5;                    // -6.02 dB
constexpr double HALF_POWER = 0.70710678118654752;   // -3.01 dB
// Local maxima of the stop band's spectrum searched between bins for the
// true peak: the worst few, of which the worst side lobe is one.
constexpr int REFINED_PEAKS = 4;

const double TWO_PI = 2 * std::acos(-1.0);

// The spectrum's scratch: the transform in place, its twiddle factors and
// the gains; static, as the design's own arrays are.
double real_part[SPECTRUM_SIZE];
double imaginary_part[SPECTRUM_SIZE];
double twiddle_cos[SPECTRUM_SIZE / 2];
double twiddle_sin[SPECTRUM_SIZE / 2];
bool twiddles_ready = false;
double gains[RESPONSE_POINTS];

// Iterative radix-2 transform of the first `size` entries of real_part /
// imaginary_part, in place; `size` a power of two up to SPECTRUM_SIZE.
void transform(int size)
{
    if (!twiddles_ready) {
        for (int k = 0; k < SPECTRUM_SIZE / 2; ++k) {
            twiddle_cos[k] = std::cos(TWO_PI * k / SPECTRUM_SIZE);
            twiddle_sin[k] = -std::sin(TWO_PI * k / SPECTRUM_SIZE);
        }
        twiddles_ready = true;
    }
    for (int i = 1, j = 0; i < size; ++i) {
        int bit = size >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
        if (i < j) {
            std::swap(real_part[i], real_part[j]);
            std::swap(imaginary_part[i], imaginary_part[j]);
        }
    }
    for (int length = 2; length <= size; length <<= 1) {
        const int half = length >> 1;
        const int step = SPECTRUM_SIZE / length;
        for (int start = 0; start < size; start += length) {
            for (int k = 0; k < half; ++k) {
                const double wr = twiddle_cos[k * step];
                const double wi = twiddle_sin[k * step];
                const int a = start + k;
                const int b = a + half;
                const double br = real_part[b] * wr - imaginary_part[b] * wi;
                const double bi = real_part[b] * wi + imaginary_part[b] * wr;
                real_part[b] = real_part[a] - br;
                imaginary_part[b] = imaginary_part[a] - bi;
                real_part[a] += br;
                imaginary_part[a] += bi;
            }
        }
    }
}

double to_db(double gain)
{
    return 20 * std::log10(gain > 1e-12 ? gain : 1e-12);
}

// The greatest exact gain near bin k, within the band [low, high]: golden-
// section search between the bins on either side.
double refined_peak(const Coefficients& coefficients, int count, int k, double low, double high)
{
    double a = std::fmax(low, (k - 1.0) / SPECTRUM_SIZE);
    double b = std::fmin(high, (k + 1.0) / SPECTRUM_SIZE);
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    double c = b - ratio * (b - a);
    double d = a + ratio * (b - a);
    double gc = exact_gain(coefficients, count, c);
    double gd = exact_gain(coefficients, count, d);
    for (int i = 0; i < 40; ++i) {
        if (gc > gd) {
            b = d;
            d = c;
            gd = gc;
            c = b - ratio * (b - a);
            gc = exact_gain(coefficients, count, c);
        } else {
            a = c;
            c = d;
            gc = gd;
            d = a + ratio * (b - a);
            gd = exact_gain(coefficients, count, d);
        }
    }
    return std::fmax(gc, gd);
}

// The greatest gain over [low, high]: the band's edges exactly, every bin
// inside, and the true peaks near the greatest local maxima.
double greatest_gain(const Coefficients& coefficients, int count, double low, double high)
{
    double worst = std::fmax(exact_gain(coefficients, count, low), exact_gain(coefficients, count, high));
    int peaks[REFINED_PEAKS];
    int peak_count = 0;
    const int first = static_cast<int>(std::ceil(low * SPECTRUM_SIZE));
    const int last = static_cast<int>(std::floor(high * SPECTRUM_SIZE));
    for (int k = first; k <= last; ++k) {
        worst = std::fmax(worst, gains[k]);
        const bool local_maximum = k > first && k < last && gains[k] >= gains[k - 1] && gains[k] >= gains[k + 1];
        if (!local_maximum) {
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
        worst = std::fmax(worst, refined_peak(coefficients, count, peaks[i], low, high));
    }
    return worst;
}

// The least gain over [low, high], edges and bins.
double least_gain(const Coefficients& coefficients, int count, double low, double high)
{
    double least = std::fmin(exact_gain(coefficients, count, low), exact_gain(coefficients, count, high));
    const int last = static_cast<int>(std::floor(high * SPECTRUM_SIZE));
    for (int k = static_cast<int>(std::ceil(low * SPECTRUM_SIZE)); k <= last; ++k) {
        least = std::fmin(least, gains[k]);
    }
    return least;
}

// Where the gain crosses `level` nearest the band edge `edge`, whose pass
// band lies toward `pass_side` (+1 above, -1 below): the bins bracket it,
// bisection on the exact gain finds it. In cycles per sample, or NaN.
double crossing(const Coefficients& coefficients, int count, double edge, int pass_side, double level)
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
        (exact_gain(coefficients, count, middle) >= level ? passing : stopping) = middle;
    }
    return (passing + stopping) / 2;
}

}  // namespace

DesignBands design_bands(const FilterDesign& design)
{
    return bands_for_width(design, (design.stop_band_attenuation - 7.95) / (14.36 * (design.number_of_coefficients - 1)));
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

double exact_gain(const Coefficients& coefficients, int count, double f)
{
    // Zero-phase amplitude about the centre: an odd N is c[M] + 2 sum c[M+k]
    // cos(k w); an even N is 2 sum c[M+k] cos((2k + 1) w / 2). Summed by
    // Clenshaw's recurrence in cos(w) or cos(w / 2).
    const int middle = count / 2;
    const bool odd = count % 2 == 1;
    const double x = std::cos(TWO_PI * f * (odd ? 1.0 : 0.5));
    double b1 = 0;
    double b2 = 0;
    const int terms = odd ? middle : count - 1;  // highest power of the series
    for (int m = terms; m >= 1; --m) {
        double a = 0;
        if (odd) {
            a = 2.0 * coefficients[middle + m];
        } else if (m % 2 == 1) {
            a = 2.0 * coefficients[middle + (m - 1) / 2];
        }
        const double b = a + 2 * x * b1 - b2;
        b2 = b1;
        b1 = b;
    }
    const double constant = odd ? coefficients[middle] : 0.0;
    return std::fabs(constant + x * b1 - b2) / Q15;
}

namespace {

// The `size`-point transform of coefficients[0 .. count - 1] / 2^15, bins
// 0 to size / 2, into real_part and imaginary_part. The taps are real, so
// the even ones go in as real and the odd ones as imaginary parts of a
// transform half as long, whose bins k and size / 2 - k are then untangled.
void transform_taps(const Coefficients& coefficients, int count, int size)
{
    const int half = size / 2;
    for (int i = 0; i < half; ++i) {
        real_part[i] = 2 * i < count ? coefficients[2 * i] / Q15 : 0.0;
        imaginary_part[i] = 2 * i + 1 < count ? coefficients[2 * i + 1] / Q15 : 0.0;
    }
    transform(half);
    const int step = SPECTRUM_SIZE / size;
    real_part[half] = real_part[0] - imaginary_part[0];
    imaginary_part[half] = 0.0;
    real_part[0] += imaginary_part[0];
    imaginary_part[0] = 0.0;
    for (int k = 1; k <= half / 2; ++k) {
        const int j = half - k;
        // Even taps' bin k: (Z[k] + conj Z[j]) / 2; odd taps': (Z[k] - conj Z[j]) / 2i.
        const double even_r = (real_part[k] + real_part[j]) / 2, even_i = (imaginary_part[k] - imaginary_part[j]) / 2;
        const double odd_r = (imaginary_part[k] + imaginary_part[j]) / 2, odd_i = (real_part[j] - real_part[k]) / 2;
        const double wr = twiddle_cos[k * step], wi = twiddle_sin[k * step];
        // X[k] = E[k] + w^k O[k]; X[j] = conj(E[k] - w^k O[k]), as E and O repeat every half.
        const double turned_r = odd_r * wr - odd_i * wi, turned_i = odd_r * wi + odd_i * wr;
        real_part[k] = even_r + turned_r;
        imaginary_part[k] = even_i + turned_i;
        real_part[j] = even_r - turned_r;
        imaginary_part[j] = turned_i - even_i;
    }
}

// The gains of the spectrum of coefficients[0 .. count - 1] into `gains`.
void compute_spectrum(const Coefficients& coefficients, int count)
{
    transform_taps(coefficients, count, SPECTRUM_SIZE);
    for (int k = 0; k < RESPONSE_POINTS; ++k) {
        gains[k] = std::hypot(real_part[k], imaginary_part[k]);
    }
}

// The greatest gain over the stop bands, from the spectrum in `gains`.
double worst_stop_gain(const Coefficients& coefficients, int count, const DesignBands& bands)
{
    double worst = 0;
    for (int i = 0; i < bands.stop_count; ++i) {
        worst = std::fmax(worst, greatest_gain(coefficients, count, bands.stop_low[i], bands.stop_high[i]));
    }
    return worst;
}

}  // namespace

double stop_band_attenuation(const Coefficients& coefficients, int count, const DesignBands& bands)
{
    compute_spectrum(coefficients, count);
    return -to_db(worst_stop_gain(coefficients, count, bands));
}

BandGains measure_band_gains(const Coefficients& coefficients, int count, const DesignBands& bands)
{
    compute_spectrum(coefficients, count);
    const double middle = (bands.pass_low + bands.pass_high) / 2;
    return {bands.stop_count > 0 ? worst_stop_gain(coefficients, count, bands) : 0.0,
            bands.pass_low < bands.pass_high ? least_gain(coefficients, count, bands.pass_low, bands.pass_high)
                                             : exact_gain(coefficients, count, middle)};
}

BandGains sample_band_gains(const Coefficients& coefficients, int count, const DesignBands& bands,
                            int points_per_tap)
{
    int size = 64;
    while (size < points_per_tap * count && size < SPECTRUM_SIZE) {
        size <<= 1;
    }
    transform_taps(coefficients, count, size);
    // Squared gains, compared as they are; one square root of each extreme.
    double stop_worst = 0.0, pass_least = HUGE_VAL;
    const auto within = [](double f, double low, double high) { return f >= low && f <= high; };
    for (int k = 0; k <= size / 2; ++k) {
        const double f = static_cast<double>(k) / size;
        const double power = real_part[k] * real_part[k] + imaginary_part[k] * imaginary_part[k];
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

void measure_response(const FilterDesign& design, const Coefficients& coefficients,
                      double (&gain_db)[RESPONSE_POINTS], ResponseFigures& figures)
{
    const int count = design.number_of_coefficients;
    compute_spectrum(coefficients, count);
    for (int k = 0; k < RESPONSE_POINTS; ++k) {
        gain_db[k] = to_db(gains[k]);
    }

    const DesignBands bands = design_bands(design);
    const double worst = worst_stop_gain(coefficients, count, bands);
    figures.achieved_attenuation = bands.stop_count > 0 ? -to_db(worst) : NOT_A_FIGURE;
    const bool has_pass_band = bands.pass_low < bands.pass_high;
    figures.pass_lowest = has_pass_band ? to_db(least_gain(coefficients, count, bands.pass_low, bands.pass_high))
                                        : NOT_A_FIGURE;
    figures.pass_highest = has_pass_band
        ? to_db(greatest_gain(coefficients, count, bands.pass_low, bands.pass_high)) : NOT_A_FIGURE;

    // The band edges inside (0, 0.5), each with the side its pass band is on.
    const double low = std::fmin(design.lower_edge, design.upper_edge);
    const double high = std::fmax(design.lower_edge, design.upper_edge);
    int edges = 0;
    for (const auto& [edge, pass_side] : {std::pair<double, int>{low, +1}, {high, -1}}) {
        if (edge > 0 && edge < 0.5) {
            figures.band_edge[edges] = edge * design.sample_rate;
            figures.half_gain[edges] = crossing(coefficients, count, edge, pass_side, HALF_GAIN) * design.sample_rate;
            figures.half_power[edges] = crossing(coefficients, count, edge, pass_side, HALF_POWER) * design.sample_rate;
            ++edges;
        }
    }
    figures.edge_count = edges;
    for (; edges < 2; ++edges) {
        figures.band_edge[edges] = NOT_A_FIGURE;
        figures.half_gain[edges] = NOT_A_FIGURE;
        figures.half_power[edges] = NOT_A_FIGURE;
    }
    figures.peak_gain = to_db(greatest_gain(coefficients, count, 0, 0.5));
    figures.taps_at_zero = 0;
    for (int i = 0; i < count; ++i) {
        figures.taps_at_zero += coefficients[i] == 0 ? 1 : 0;
    }
}
