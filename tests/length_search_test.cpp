// The page's search for the shortest length against measuring every length:
// designs of every type, the two of the README among them.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "frontend/design_derivation.h"
#include "web/length_search.h"

namespace {

DesignArrays arrays;

struct Case {
    int rate;
    char key;
    int lower, upper;  // the cutoff in `upper` for a low or high pass
    int attenuation;
    int width_hz;
};

TEST(LengthSearch, EqualsMeasuringEveryLength)
{
    const Case cases[] = {
        {48000, 'L', 0, 12000, 60, 1000}, {48000, 'B', 3000, 6000, 80, 600},
        {48000, 'L', 0, 12000, 40, 2000}, {48000, 'L', 0, 1000, 50, 800}, {44100, 'L', 0, 5000, 70, 1500},
        {8000, 'L', 0, 1000, 30, 400}, {96000, 'L', 0, 20000, 90, 4000}, {16000, 'L', 0, 7900, 60, 100},
        {48000, 'L', 0, 12000, 7, 1000}, {48000, 'L', 0, 12000, 20, 3000},
        {48000, 'H', 12000, 0, 60, 1000}, {44100, 'H', 5000, 0, 70, 2000}, {8000, 'H', 1000, 0, 40, 500},
        {96000, 'H', 100, 0, 60, 150}, {48001, 'H', 20000, 0, 50, 2500}, {192000, 'H', 40000, 0, 80, 8000},
        {8000, 'H', 3000, 0, 25, 600}, {48000, 'H', 23000, 0, 45, 1500},
        {48000, 'B', 3000, 6000, 60, 600}, {44100, 'B', 300, 3400, 60, 200}, {48000, 'B', 6000, 3000, 50, 1000},
        {8000, 'B', 1000, 3000, 40, 400}, {96000, 'B', 10000, 12000, 70, 1000}, {48000, 'B', 0, 6000, 60, 1000},
        {48000, 'B', 1000, 24000, 55, 800}, {16000, 'B', 2000, 2500, 35, 300}, {44100, 'B', 1000, 2000, 100, 500},
        {48000, 'l', 0, 20000, 60, 3000}, {8000, 'b', 500, 3500, 45, 250}, {48000, 'h', 1000, 0, 75, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.key) + " " + std::to_string(c.lower) + "-" + std::to_string(c.upper) + " at "
                     + std::to_string(c.rate) + ", " + std::to_string(c.attenuation) + " dB, width "
                     + std::to_string(c.width_hz));
        FilterDesign design{};
        design.sample_rate = c.rate;
        design.filter_type = c.key;
        design.stop_band_attenuation = c.attenuation;
        const FilterType type = *filter_type_of_key(c.key);
        if (type == FilterType::BandPass) {
            design.lower_cutoff = c.lower;
            design.upper_cutoff = c.upper;
        } else {
            design.cutoff = type == FilterType::LowPass ? c.upper : c.lower;
        }
        const double width = static_cast<double>(c.width_hz) / c.rate;
        // Every length, in order: the first that reaches the attenuation, or the best.
        int shortest = 0, best = 0;
        double shortest_attenuation = 0, best_attenuation = -HUGE_VAL;
        for (int count = 2; count <= MAX_COEFFICIENTS && shortest == 0; ++count) {
            const double reached = attenuation_for_length(design, type, width, count, arrays);
            if (reached >= c.attenuation) {
                shortest = count;
                shortest_attenuation = reached;
            } else if (reached > best_attenuation) {
                best = count;
                best_attenuation = reached;
            }
        }
        const LengthSearch search = shortest_length(design, type, width, arrays);
        EXPECT_EQ(search.shortest, shortest);
        if (shortest != 0) {
            EXPECT_EQ(search.shortest_attenuation, shortest_attenuation);
        } else {
            EXPECT_EQ(search.best, best);
            EXPECT_EQ(search.best_attenuation, best_attenuation);
        }
    }
}

}  // namespace
