// Every legal length of every filter type at the attenuations that border
// the beta rows, and at the largest accepted: each design must come out
// finite, exactly symmetric, within the integer range, and with the centre
// tap of an odd length equal to its closed form, twice the bandwidth.
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "design/filter_stages.h"
#include "frontend/design_derivation.h"
#include "frontend/fixed_point.h"

namespace {

TEST(DesignSweep, EveryLengthTypeAndBetaRowGivesAFiniteSymmetricFilter)
{
    const struct { char key; int cutoff, lower, upper; } types[] = {
        {'L', 12000, 0, 0}, {'H', 6000, 0, 0}, {'B', 0, 3000, 9000}, {'b', 0, 24000, 0}};
    const int attenuations[] = {0, 20, 21, 50, 51, MAX_STOP_BAND_ATTENUATION};
    HalfResponse half_response{};
    HalfResponse kaiser_window{};
    ImpulseResponse impulse_response{};
    for (const auto& type : types) {
        for (const int attenuation : attenuations) {
            for (int taps = 2; taps <= MAX_COEFFICIENTS; ++taps) {
                FilterDesign design{};
                design.sample_rate = 48000;
                design.filter_type = type.key;
                design.cutoff = type.cutoff;
                design.lower_cutoff = type.lower;
                design.upper_cutoff = type.upper;
                design.stop_band_attenuation = attenuation;
                design.number_of_coefficients = taps;
                derive_design_values(design);
                compute_ideal_response(design, half_response);
                apply_kaiser_window(design, half_response, kaiser_window);
                expand_symmetric_response(design, half_response, impulse_response);

                for (int k = 0; k < taps; ++k) {
                    const double tap = impulse_response[k];
                    ASSERT_TRUE(std::isfinite(tap)) << type.key << attenuation << " " << taps;
                    ASSERT_EQ(tap, impulse_response[taps - 1 - k]) << taps << " " << k;
                    ASSERT_LT(std::fabs(tap * FIXED_POINT_SCALE), 2147483647.0) << taps;
                }
                if (taps % 2 == 1) {
                    const double bandwidth = design.upper_edge - design.lower_edge;
                    ASSERT_EQ(impulse_response[taps / 2], bandwidth + bandwidth) << taps;
                }
            }
        }
    }
}

}  // namespace
