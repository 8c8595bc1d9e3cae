#include "web/spectrum.h"

#include <cmath>
#include <utility>


namespace {

const double TWO_PI = 2 * std::acos(-1.0);

// Iterative radix-2 transform of the first `size` entries of real_values /
// imaginary_values, in place; `size` a power of two up to SPECTRUM_SIZE.
void transform(int size, SpectrumScratch& scratch)
{
    double* const real_values = scratch.real_values;
    double* const imaginary_values = scratch.imaginary_values;
    if (!scratch.twiddles_ready) {
        for (int k = 0; k < SPECTRUM_SIZE / 2; ++k) {
            scratch.twiddle_cos[k] = std::cos(TWO_PI * k / SPECTRUM_SIZE);
            scratch.twiddle_sin[k] = -std::sin(TWO_PI * k / SPECTRUM_SIZE);
        }
        scratch.twiddles_ready = true;
    }
    for (int i = 1, j = 0; i < size; ++i) {
        int bit = size >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
        if (i < j) {
            std::swap(real_values[i], real_values[j]);
            std::swap(imaginary_values[i], imaginary_values[j]);
        }
    }
    for (int length = 2; length <= size; length <<= 1) {
        const int half = length >> 1;
        const int step = SPECTRUM_SIZE / length;
        for (int start = 0; start < size; start += length) {
            for (int k = 0; k < half; ++k) {
                const int twiddle = k * step;
                const double wr = scratch.twiddle_cos[twiddle];
                const double wi = scratch.twiddle_sin[twiddle];
                const int a = start + k;
                const int b = a + half;
                const double br = real_values[b] * wr - imaginary_values[b] * wi;
                const double bi = real_values[b] * wi + imaginary_values[b] * wr;
                real_values[b] = real_values[a] - br;
                imaginary_values[b] = imaginary_values[a] - bi;
                real_values[a] += br;
                imaginary_values[a] += bi;
            }
        }
    }
}

}  // namespace

// The taps are real, so the even ones go in as real and the odd ones as
// imaginary values of a transform half as long, whose bins k and size / 2 - k
// are then untangled.
void transform_taps(const TapFractions& taps, int count, int size, SpectrumScratch& scratch)
{
    double* const real_values = scratch.real_values;
    double* const imaginary_values = scratch.imaginary_values;
    const int half = size / 2;
    for (int i = 0; i < half; ++i) {
        const int even = 2 * i;
        const int odd = even + 1;
        real_values[i] = even < count ? taps[even] : 0.0;
        imaginary_values[i] = odd < count ? taps[odd] : 0.0;
    }
    transform(half, scratch);
    const int step = SPECTRUM_SIZE / size;
    real_values[half] = real_values[0] - imaginary_values[0];
    imaginary_values[half] = 0.0;
    real_values[0] += imaginary_values[0];
    imaginary_values[0] = 0.0;
    for (int k = 1; k <= half / 2; ++k) {
        const int j = half - k;
        // Even taps' bin k: (Z[k] + conj Z[j]) / 2; odd taps': (Z[k] - conj Z[j]) / 2i.
        const double even_r = (real_values[k] + real_values[j]) / 2;
        const double even_i = (imaginary_values[k] - imaginary_values[j]) / 2;
        const double odd_r = (imaginary_values[k] + imaginary_values[j]) / 2;
        const double odd_i = (real_values[j] - real_values[k]) / 2;
        const int twiddle = k * step;
        const double wr = scratch.twiddle_cos[twiddle];
        const double wi = scratch.twiddle_sin[twiddle];
        // X[k] = E[k] + w^k O[k]; X[j] = conj(E[k] - w^k O[k]), as E and O repeat every half.
        const double turned_r = odd_r * wr - odd_i * wi;
        const double turned_i = odd_r * wi + odd_i * wr;
        real_values[k] = even_r + turned_r;
        imaginary_values[k] = even_i + turned_i;
        real_values[j] = even_r - turned_r;
        imaginary_values[j] = turned_i - even_i;
    }
}

void spectrum_gains(const TapFractions& taps, int count, SpectrumScratch& scratch,
                    double (&gains)[RESPONSE_POINTS])
{
    transform_taps(taps, count, SPECTRUM_SIZE, scratch);
    for (int k = 0; k < RESPONSE_POINTS; ++k) {
        gains[k] = std::hypot(scratch.real_values[k], scratch.imaginary_values[k]);
    }
}

double exact_gain(const TapFractions& taps, int count, double f)
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
            a = 2.0 * taps[middle + m];
        } else if (m % 2 == 1) {
            a = 2.0 * taps[middle + (m - 1) / 2];
        }
        const double b = a + 2 * x * b1 - b2;
        b2 = b1;
        b1 = b;
    }
    const double constant = odd ? taps[middle] : 0.0;
    return std::fabs(constant + x * b1 - b2);
}

double to_db(double gain)
{
    return 20 * std::log10(gain > 1e-12 ? gain : 1e-12);
}
