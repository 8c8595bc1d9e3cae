// The core's rules around the stages: the derivation of the record, the
// fixed-point scaling and the text of the file.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "core/coefficient_text.h"
#include "core/design_derivation.h"
#include "core/fixed_point.h"
#include "tests/core/design_record.h"

namespace {

TEST(Derivation, BandEdgesFollowTheFilterType)
{
    // rate, key, cutoff, typed lower and upper edges -> derived edges in Hz
    // and cycles per sample. A low pass drops a lower edge typed before.
    const struct { int rate; char key; int cutoff, lower, upper, want_lower, want_upper;
                   double lower_edge, upper_edge; } cases[] = {
        {48000, 'h', 1000, 0, 0, 1000, 24000, 1000 / 48000.0, 0.5},
        {8001, 'H', 1000, 0, 0, 1000, 4000, 1000 / 8001.0, 4000 / 8001.0},  // loses the half
        {8000, 'L', 2000, 999, 0, 0, 2000, 0.0, 0.25},
        {8000, 'b', 0, 3000, 1000, 3000, 1000, 0.375, 0.125},
    };
    for (const auto& c : cases) {
        FilterDesign design{};
        design.sample_rate = c.rate;
        design.filter_type = c.key;
        design.cutoff = c.cutoff;
        design.lower_cutoff = c.lower;
        design.upper_cutoff = c.upper;
        derive_design_values(design, *filter_type_of_key(c.key));
        EXPECT_EQ(design.lower_cutoff, c.want_lower) << c.key;
        EXPECT_EQ(design.upper_cutoff, c.want_upper) << c.key;
        EXPECT_EQ(design.lower_edge, c.lower_edge) << c.key;
        EXPECT_EQ(design.upper_edge, c.upper_edge) << c.key;
    }
}

TEST(Derivation, HalfLengthAndParity)
{
    const struct { int taps; bool odd; int half; } cases[] = {
        {2049, true, 1025}, {2048, false, 1024}, {4, false, 2}, {2, false, 1}, {3, true, 2}};
    for (const auto& c : cases) {
        const FilterDesign design = design_record('L', 8000, 1000, 0, c.taps);
        EXPECT_EQ(design.odd_length, c.odd) << c.taps;
        EXPECT_EQ(design.half_length, c.half) << c.taps;
    }
}

TEST(Derivation, MenuKeysInEitherCase)
{
    EXPECT_EQ(filter_type_of_key('l'), FilterType::LowPass);
    EXPECT_EQ(filter_type_of_key('H'), FilterType::HighPass);
    EXPECT_EQ(filter_type_of_key('b'), FilterType::BandPass);
    for (char other : {'x', '\r', '\n', 'P', '\0'}) EXPECT_FALSE(filter_type_of_key(other));
}

TEST(FixedPoint, TruncatesTowardZeroWithoutClamping)
{
    const struct { double response; int coefficient; } cases[] = {
        {1.0, 32767}, {-1.0, -32767}, {0.0001, 3}, {-0.0001, -3},
        {1 / 32767.9 * 0.999, 0}, {-1 / 32767.9 * 0.999, 0}, {1.5, 49151}, {0.5, 16383},
    };
    FilterDesign design{};
    design.number_of_coefficients = 8;
    ImpulseResponse response{};
    Coefficients coefficients{};
    coefficients.fill(-99);
    for (int i = 0; i < 8; ++i) response[i] = cases[i].response;
    quantize_coefficients(design, response, coefficients);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(coefficients[i], cases[i].coefficient) << cases[i].response;
    EXPECT_EQ(coefficients[8], -99);
}

std::string coefficient_text(int taps, const Coefficients& coefficients)
{
    FilterDesign design{};
    design.sample_rate = 8000;
    design.number_of_coefficients = taps;
    static CoefficientText text;
    EXPECT_TRUE(format_coefficient_text(design, coefficients, text));
    return std::string(text.characters.data(), text.length);
}

TEST(CoefficientText, DeclaresTheTableAndALongerDelayLine)
{
    Coefficients coefficients{{-3, 32767, -3}};
    EXPECT_EQ(coefficient_text(3, coefficients),
              "int number_of_coefficients = 3;\n"
              "long sample_rate = 8000;\n"
              "int delay_buffer[5];\n"
              "int coefficients[3] = {\n"
              "          -3,\n"
              "          32767,\n"
              "          -3 };\n");
    EXPECT_EQ(coefficient_text(1, coefficients),
              "int number_of_coefficients = 1;\n"
              "long sample_rate = 8000;\n"
              "int delay_buffer[3];\n"
              "int coefficients[1] = {\n"
              "          -3 };\n");
}

TEST(CoefficientText, TheLongestTextFits)
{
    Coefficients widest{};
    widest.fill(INT32_MIN);
    FilterDesign design{};
    design.sample_rate = INT32_MIN;
    design.number_of_coefficients = MAX_COEFFICIENTS;
    static CoefficientText text;
    EXPECT_TRUE(format_coefficient_text(design, widest, text));
    EXPECT_EQ(text.length, std::strlen(text.characters.data()));
    EXPECT_GT(text.length, MAX_COEFFICIENT_TEXT - 200);
    const std::string head = "int number_of_coefficients = 2049;\nlong sample_rate = -2147483648;\n"
                             "int delay_buffer[2051];\nint coefficients[2049] = {\n          -2147483648,\n";
    EXPECT_EQ(std::string(text.characters.data(), head.size()), head);
    design.number_of_coefficients = MAX_COEFFICIENTS + 1;
    EXPECT_FALSE(format_coefficient_text(design, widest, text));
}

}  // namespace
