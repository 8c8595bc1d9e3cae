// The Kaiser window: beta from the requested attenuation, the Bessel
// function I0 that shapes it, and its application to the half response.
#include <cmath>

#include "core/filter_stages.h"

double kaiser_beta(int stop_band_attenuation)
{
    // The attenuation is compared and computed as a double; 20.96 is both
    // the threshold and the offset of the middle row.
    const double attenuation = stop_band_attenuation;
    if (attenuation > 50) {
        return 0.1102 * (attenuation - 8.7);
    }
    if (attenuation > 20.96) {
        const double x = attenuation - 20.96;
        return 0.58417 * std::pow(x, 0.4) + 0.07886 * x;
    }
    return 0.0;
}

namespace {

// The constants of Kaiser's length estimate.
constexpr double KAISER_LENGTH_OFFSET_DB = 7.95;
constexpr double KAISER_LENGTH_SLOPE = 14.36;

}  // namespace

double kaiser_transition_width(int stop_band_attenuation, int number_of_coefficients)
{
    return (stop_band_attenuation - KAISER_LENGTH_OFFSET_DB) / (KAISER_LENGTH_SLOPE * (number_of_coefficients - 1));
}

double kaiser_length(int stop_band_attenuation, double width)
{
    return (stop_band_attenuation - KAISER_LENGTH_OFFSET_DB) / (KAISER_LENGTH_SLOPE * width) + 1;
}

double bessel_i0(double x)
{
    const double a = std::fabs(x);
    if (a < 3.75) {
        // 9.8.1: a polynomial in (x / 3.75)^2, highest power first.
        const double ratio = x / 3.75;
        const double y = ratio * ratio;
        return 1.0 + y * (3.5156229 + y * (3.0899424 + y * (1.2067492
                   + y * (0.2659732 + y * (0.0360768 + y * 0.0045813)))));
    }
    // 9.8.2: sqrt(a) exp(-a) I0(a) as a polynomial in 3.75 / a.
    const double y = 3.75 / a;
    const double scaled = 0.39894228 + y * (0.01328592 + y * (0.00225319
                        + y * (-0.00157565 + y * (0.00916281 + y * (-0.02057706
                        + y * (0.02635537 + y * (-0.01647633 + y * 0.00392377)))))));
    return (std::exp(a) / std::sqrt(a)) * scaled;
}

void apply_kaiser_window(const FilterDesign& design, HalfResponse& half_response,
                         HalfResponse& kaiser_window)
{
    const double beta = kaiser_beta(design.stop_band_attenuation);
    const double denominator = bessel_i0(beta);
    // (N - 1)^2 in integer arithmetic: exact for every N up to 2049.
    const int n_minus_one = design.number_of_coefficients - 1;
    const double span = n_minus_one * n_minus_one;

    // 1 - (2n / (N - 1))^2 under the root: 1 at the centre, 0 at both ends.
    for (int i = 0; i < design.half_length; ++i) {
        const double n = tap_offset(design, i);
        const double r = std::sqrt(1 - (4 * n) * n / span);
        kaiser_window[i] = bessel_i0(beta * r) / denominator;
    }
    for (int i = 0; i < design.half_length; ++i) {
        half_response[i] = half_response[i] * kaiser_window[i];
    }
}
