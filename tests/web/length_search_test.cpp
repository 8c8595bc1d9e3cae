// The page's search for the shortest length against measuring every length,
// for each target's table: designs of every type, the two of the README
// among them.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "tests/core/design_record.h"
#include "web/length_search.h"

namespace {

DesignArrays arrays;
ResponseScratch scratch;
LengthSearchState state;
TableOptimizer optimizer;

struct Case {
    int rate;
    char key;
    int lower, upper;  // the cutoff in `upper` for a low or high pass
    int attenuation;
    int width_hz;
};

// The answers of a case, with any number of coefficients.
FilterDesign answers(const Case& c)
{
    return design_record(c.key, c.rate, c.key == 'L' || c.key == 'l' ? c.upper : c.lower, c.upper, 2, c.attenuation);
}

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
    // Every table but the optimized one, whose search the next test checks.
    for (const Target target : {Target::Q15, Target::Q15_ROUNDED, Target::Q31, Target::F32})
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(target_name(target)) + ": " + std::string(1, c.key) + " " + std::to_string(c.lower)
                     + "-" + std::to_string(c.upper) + " at " + std::to_string(c.rate) + ", "
                     + std::to_string(c.attenuation) + " dB, width " + std::to_string(c.width_hz));
        const FilterDesign design = answers(c);
        const FilterType type = *filter_type_of_key(c.key);
        const double width = static_cast<double>(c.width_hz) / c.rate;
        // Every length, in order: the first that reaches the attenuation, or the best.
        int shortest = 0, best = 0;
        double shortest_attenuation = 0, best_attenuation = -HUGE_VAL;
        for (int count = 2; count <= MAX_COEFFICIENTS && shortest == 0; ++count) {
            const double reached = attenuation_for_length(design, type, width, target, count, arrays, scratch, optimizer);
            if (reached >= c.attenuation) {
                shortest = count;
                shortest_attenuation = reached;
            } else if (reached > best_attenuation) {
                best = count;
                best_attenuation = reached;
            }
        }
        const LengthSearch search = shortest_length(design, type, width, target, arrays, scratch, state);
        EXPECT_EQ(search.shortest, shortest);
        if (shortest != 0) {
            EXPECT_EQ(search.shortest_attenuation, shortest_attenuation);
        } else {
            EXPECT_EQ(search.best, best);
            EXPECT_EQ(search.best_attenuation, best_attenuation);
        }
    }
}

// Short designs, where the optimized table's search tries every length below
// the rounded table's answer: it finds what optimizing every length finds.
TEST(LengthSearch, OnTheOptimizedTableEqualsOptimizingEveryLength)
{
    const Case cases[] = {{48000, 'L', 0, 12000, 60, 3000}, {8000, 'H', 1000, 0, 40, 500}, {44100, 'B', 3000, 9000, 55, 2500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.key) + " " + std::to_string(c.upper));
        const FilterDesign design = answers(c);
        const FilterType type = *filter_type_of_key(c.key);
        const double width = static_cast<double>(c.width_hz) / c.rate;
        const LengthSearch search = shortest_length(design, type, width, Target::Q15_OPTIMIZED, arrays, scratch, state);
        ASSERT_EQ(search.lowest_tried, 2);
        int count = 2;
        double reached = -HUGE_VAL;
        for (; count <= search.shortest; ++count) {
            reached = attenuation_for_length(design, type, width, Target::Q15_OPTIMIZED, count, arrays, scratch, optimizer);
            if (reached >= c.attenuation) break;
        }
        EXPECT_EQ(search.shortest, count);
        EXPECT_EQ(search.shortest_attenuation, reached);
        EXPECT_LT(search.shortest, search.rounded_shortest);  // the optimizer shortens these
    }
}

// A stop band's worst lobe in the spectrum's cell beside its edge: the
// answers a fine measurement of every length gives.
TEST(LengthSearch, TheWorstLobeBesideABandEdgeCounts)
{
    const struct { Case c; Target target; int shortest; int best; } rows[] = {
        {{96000, 'L', 0, 22103, 99, 320}, Target::Q31, 2002, 0}, {{24000, 'H', 5939, 0, 60, 52}, Target::F32, 1915, 0},
        {{24000, 'L', 0, 8828, 109, 86}, Target::Q31, 0, 2049}};
    for (const auto& row : rows) {
        const double width = static_cast<double>(row.c.width_hz) / row.c.rate;
        const LengthSearch search = shortest_length(answers(row.c), *filter_type_of_key(row.c.key), width, row.target,
                                                    arrays, scratch, state);
        EXPECT_EQ(search.shortest, row.shortest);
        EXPECT_EQ(search.shortest == 0 ? search.best : 0, row.best);
    }
}

// Two searches that reach nothing, so that both rank every length, taken in
// turns: each keeps all it knows in its own state and ends as it ends alone.
TEST(LengthSearch, SearchesSideBySideKeepToTheirOwnState)
{
    const Case cases[2] = {{48000, 'B', 3000, 6000, 80, 600}, {44100, 'B', 1000, 2000, 100, 500}};
    static LengthSearchState states[2];
    for (int i = 0; i < 2; ++i) {
        const double width = static_cast<double>(cases[i].width_hz) / cases[i].rate;
        start_length_search(states[i], answers(cases[i]), FilterType::BandPass, width, Target::Q15);
    }
    for (bool done = false; !done;) {
        const bool first_done = continue_length_search(states[0], 50, arrays, scratch);
        done = continue_length_search(states[1], 50, arrays, scratch) && first_done;
    }
    for (const LengthSearchState& state : states) {
        const LengthSearch alone = shortest_length(state.design, FilterType::BandPass, state.width, Target::Q15, arrays,
                                                    scratch, ::state);
        EXPECT_EQ(state.result.best, alone.best);
        EXPECT_EQ(state.result.best_attenuation, alone.best_attenuation);
    }
}

}  // namespace
