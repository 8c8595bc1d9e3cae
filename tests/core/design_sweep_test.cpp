// Every legal length of every filter type at the attenuations that border
// the beta rows, and at the largest accepted: each design must come out
// finite, exactly symmetric, within the integer range, and with the centre
// tap of an odd length equal to its closed form, twice the bandwidth.
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "core/filter_stages.h"
#include "core/fixed_point.h"
#include "core/design_filter.h"
#include "tests/core/design_record.h"

namespace {

TEST(DesignSweep, EveryLengthTypeAndBetaRowGivesAFiniteSymmetricFilter)
{
    const struct { char key; int first_edge, second_edge; } types[] = {
        {'L', 12000, 0}, {'H', 6000, 0}, {'B', 3000, 9000}, {'b', 24000, 0}};
    const int attenuations[] = {0, 20, 21, 50, 51, MAX_STOP_BAND_ATTENUATION};
    static DesignArrays arrays{};
    for (const auto& type : types) {
        for (const int attenuation : attenuations) {
            for (int taps = 2; taps <= MAX_COEFFICIENTS; ++taps) {
                const FilterDesign design = design_record(type.key, 48000, type.first_edge,
                                                          type.second_edge, taps, attenuation);
                design_filter(design, arrays);
                const ImpulseResponse& impulse_response = arrays.impulse_response;

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
