// The optimized 16-bit table against the rounded one it starts from: on
// designs of each type and parity, short and long, it stays symmetric, is
// never worse on its bands, keeps its pass band within the allowance
// (measured here on a grid of its own), gains on each, and gives the same
// integers however it is cut into pieces.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "core/design_filter.h"
#include "core/fixed_point.h"
#include "tests/core/design_record.h"
#include "web/table_optimizer.h"

namespace {

DesignArrays arrays;
ResponseScratch scratch;
TableOptimizer whole, in_pieces;

// The largest distance from 0 dB, and the greatest gain, of `taps` over
// [low, high], on 64 points a tap-spacing of frequency.
double deviation_db(const TapFractions& taps, int count, double low, double high)
{
    double deviation = 0;
    const int points = static_cast<int>((high - low) * count * 64) + 2;
    for (int i = 0; i <= points; ++i) {
        deviation = std::fmax(deviation, std::fabs(to_db(exact_gain(taps, count, low + (high - low) * i / points))));
    }
    return deviation;
}

TEST(TableOptimizer, LowersTheWorstStopBandGainAndKeepsThePassBand)
{
    const struct { char key; int rate, first, second, taps, attenuation; } designs[] = {
        {'L', 48000, 12000, 0, 101, 60}, {'H', 44100, 7500, 0, 223, 80}, {'B', 48000, 3000, 6000, 2049, 80},
        {'L', 48000, 1250, 0, 484, 80}, {'H', 8000, 1000, 0, 30, 40}, {'L', 44100, 9637, 0, 254, 20}};
    for (const auto& d : designs) {
        SCOPED_TRACE(std::string(1, d.key) + " " + std::to_string(d.taps));
        const FilterDesign design = design_record(d.key, d.rate, d.first, d.second, d.taps, d.attenuation);
        design_filter(design, arrays);
        const DesignBands bands = design_bands(design);
        TapFractions rounded{};
        target_fractions(Target::Q15_OPTIMIZED, arrays, d.taps, rounded);
        optimize_table(whole, rounded, d.taps, bands, scratch);
        // Pieces of every size give the same integers.
        start_optimizing(in_pieces, rounded, d.taps, bands, scratch);
        for (std::int64_t piece = 1; !continue_optimizing(in_pieces, piece, bands, scratch); piece = piece * 3 + 1) {
        }
        const TapFractions& table = whole.table;
        for (int i = 0; i < d.taps; ++i) {
            ASSERT_EQ(table[i], table[d.taps - 1 - i]);
            ASSERT_EQ(table[i], in_pieces.table[i]);
            ASSERT_EQ(table[i] * Q15, std::round(table[i] * Q15));
        }
        EXPECT_GT(-to_db(whole.gains.stop_worst), -to_db(whole.rounded_gains.stop_worst) + 0.5);
        EXPECT_EQ(whole.gains.stop_worst, measure_band_gains(table, d.taps, bands, scratch).stop_worst);
        const bool wide = bands.pass_low < bands.pass_high;
        const double low = wide ? bands.pass_low : (bands.pass_low + bands.pass_high) / 2;
        const double high = wide ? bands.pass_high : low;
        EXPECT_LE(deviation_db(table, d.taps, low, high),
                  deviation_db(rounded, d.taps, low, high) + PASS_BAND_ALLOWANCE_DB + 1e-9);
    }
}

}  // namespace
