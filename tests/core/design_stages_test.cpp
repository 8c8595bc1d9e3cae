// The design stages against values derived without the code: closed forms
// of the ideal response, published values of I0, the beta table's rows and
// the layouts of the symmetric expansion.
#include <cmath>

#include <gtest/gtest.h>

#include "core/filter_stages.h"
#include "tests/core/design_record.h"

namespace {

// sin(2 pi n f) / (pi n): the ideal low pass with cutoff f at offset n.
double ideal_low_pass(double f, double n)
{
    const double pi = std::acos(-1.0);
    return std::sin(2 * pi * n * f) / (pi * n);
}

TEST(IdealResponse, MatchesTheClosedFormsOfEachFilterType)
{
    HalfResponse h{};
    // Low pass at a quarter of the sample rate: centre 2 f2 = 0.5.
    for (int taps : {101, 100}) {
        const FilterDesign low = design_record('L', 48000, 12000, 0, taps);
        compute_ideal_response(low, h);
        if (taps % 2 == 1) {
            EXPECT_EQ(h[0], 0.5);
        }
        for (int i = taps % 2; i < low.half_length; ++i) {
            // Only pi differs (twelve digits), so agreement is to about 1e-11.
            EXPECT_NEAR(h[i], ideal_low_pass(0.25, tap_offset(low, i)), 1e-10) << taps << " " << i;
        }
    }
    // High pass: centre 1 - 2 f1; elsewhere the all-pass minus the low pass.
    const FilterDesign high = design_record('h', 8000, 1000, 0, 31);
    compute_ideal_response(high, h);
    EXPECT_DOUBLE_EQ(h[0], 1 - 2 * 0.125);
    for (int i = 1; i < high.half_length; ++i) {
        EXPECT_NEAR(h[i], ideal_low_pass(0.5, i) - ideal_low_pass(0.125, i), 1e-10);
    }
    // Band pass: the difference of the low passes at its two edges.
    const FilterDesign band = design_record('B', 44100, 300, 3400, 64);
    compute_ideal_response(band, h);
    for (int i = 0; i < band.half_length; ++i) {
        const double n = i + 0.5;
        EXPECT_NEAR(h[i], ideal_low_pass(3400.0 / 44100, n) - ideal_low_pass(300.0 / 44100, n),
                    1e-10);
    }
}

TEST(IdealResponse, SwappedEdgesNegateAndEntriesPastTheHalfAreUntouched)
{
    HalfResponse forward{};
    HalfResponse swapped{};
    swapped.fill(7.0);
    compute_ideal_response(design_record('b', 16000, 1000, 3000, 21), forward);
    compute_ideal_response(design_record('b', 16000, 3000, 1000, 21), swapped);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(swapped[i], -forward[i]);
    EXPECT_EQ(swapped[11], 7.0);
}

TEST(KaiserBeta, FollowsItsThreeRowsAndBoundaries)
{
    EXPECT_EQ(kaiser_beta(0), 0.0);
    EXPECT_EQ(kaiser_beta(20), 0.0);
    // 21 dB lies just above the 20.96 threshold: x = 0.04.
    EXPECT_NEAR(kaiser_beta(21), 0.58417 * std::pow(0.04, 0.4) + 0.07886 * 0.04, 1e-12);
    EXPECT_GT(kaiser_beta(21), 0.0);
    EXPECT_NEAR(kaiser_beta(50), 0.58417 * std::pow(29.04, 0.4) + 0.07886 * 29.04, 1e-12);
    EXPECT_NEAR(kaiser_beta(51), 0.1102 * 42.3, 1e-12);
    EXPECT_NEAR(kaiser_beta(60), 5.65326, 1e-12);  // 0.1102 * 51.3
}

TEST(KaiserBeta, LargestAcceptedAttenuationKeepsTheWindowFinite)
{
    EXPECT_TRUE(std::isfinite(bessel_i0(kaiser_beta(MAX_STOP_BAND_ATTENUATION))));
    EXPECT_FALSE(std::isfinite(bessel_i0(kaiser_beta(MAX_STOP_BAND_ATTENUATION + 1))));

    HalfResponse h{};
    HalfResponse window{};
    const FilterDesign design = design_record('L', 8000, 1000, 0, 2049, MAX_STOP_BAND_ATTENUATION);
    compute_ideal_response(design, h);
    apply_kaiser_window(design, h, window);
    for (int i = 0; i < design.half_length; ++i) ASSERT_TRUE(std::isfinite(h[i])) << i;
}

TEST(BesselI0, AgreesWithPublishedValuesOnBothSidesOfTheSeam)
{
    // Tabulated I0 (Abramowitz and Stegun, table 9.8, and its sources).
    const struct { double x, i0; } table[] = {
        {0.0, 1.0}, {0.5, 1.0634833707}, {1.0, 1.2660658778}, {2.0, 2.2795853023},
        {3.0, 4.8807925859}, {3.75, 9.1189458608}, {4.0, 11.301921952}, {5.0, 27.239871823},
        {10.0, 2815.7166284}, {50.0, 2.9325537838e20},
    };
    for (const auto& row : table) {
        // 9.8.1 promises a relative error below 1.6e-7; 9.8.2 an absolute
        // error below 1.9e-7 on sqrt(x) exp(-x) I0(x) >= 0.39, so below 5e-7 relative.
        EXPECT_NEAR(bessel_i0(row.x) / row.i0, 1.0, row.x < 3.75 ? 1.6e-7 : 5e-7) << row.x;
        EXPECT_EQ(bessel_i0(-row.x), bessel_i0(row.x)) << row.x;
    }
    EXPECT_EQ(bessel_i0(0.0), 1.0);
    // The two formulas differ by 2e-8 at the seam: 9.8.1 just below 3.75,
    // 9.8.2 from 3.75 on, each its own published polynomial's value.
    EXPECT_NEAR(bessel_i0(std::nextafter(3.75, 0.0)), 9.118945799999997, 1e-13);
    EXPECT_NEAR(bessel_i0(3.75), 9.118945993790991, 1e-13);
}

TEST(KaiserWindow, IsRectangularUpTo20dBAndFallsFromOneOtherwise)
{
    for (int taps : {2, 3, 40, 41}) {
        HalfResponse ones{};
        HalfResponse window{};
        ones.fill(1.0);
        const FilterDesign flat = design_record('L', 8000, 1000, 0, taps, 20);
        apply_kaiser_window(flat, ones, window);
        for (int i = 0; i < flat.half_length; ++i) EXPECT_EQ(ones[i], 1.0);

        // Multiplying into ones leaves the window itself.
        ones.fill(1.0);
        const FilterDesign shaped = design_record('L', 8000, 1000, 0, taps, 60);
        apply_kaiser_window(shaped, ones, window);
        if (taps % 2 == 1) {
            EXPECT_EQ(ones[0], 1.0);
        }
        for (int i = 1; i < shaped.half_length; ++i) EXPECT_LT(ones[i], ones[i - 1]);
        EXPECT_NEAR(ones[shaped.half_length - 1], 1 / bessel_i0(kaiser_beta(60)), 1e-15);
        EXPECT_EQ(ones[shaped.half_length], 1.0);  // past the half: untouched
    }
}

TEST(SymmetricExpansion, LaysOutBothParitiesAroundTheCentre)
{
    HalfResponse h{};
    for (int i = 0; i < MAX_HALF_LENGTH; ++i) h[i] = i + 1;
    const struct { int taps; std::vector<double> expected; } layouts[] = {
        {2, {1, 1}}, {3, {2, 1, 2}}, {4, {2, 1, 1, 2}}, {5, {3, 2, 1, 2, 3}},
    };
    for (const auto& layout : layouts) {
        ImpulseResponse taps{};
        taps.fill(-1);
        expand_symmetric_response(design_record('L', 8000, 1000, 0, layout.taps), h, taps);
        for (int k = 0; k < layout.taps; ++k) EXPECT_EQ(taps[k], layout.expected[k]) << layout.taps;
        EXPECT_EQ(taps[layout.taps], -1);
    }

    ImpulseResponse longest{};
    expand_symmetric_response(design_record('L', 8000, 1000, 0, MAX_COEFFICIENTS), h, longest);
    EXPECT_EQ(longest[1024], 1.0);
    EXPECT_EQ(longest[0], MAX_HALF_LENGTH);
    for (int k = 0; k < MAX_COEFFICIENTS; ++k) ASSERT_EQ(longest[k], longest[MAX_COEFFICIENTS - 1 - k]);
}

}  // namespace
