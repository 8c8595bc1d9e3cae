// The front end's own rules: the derivation of the record, the numeric
// answer reader, the fixed-point scaling and the text of the file.
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "frontend/coefficient_file.h"
#include "frontend/console.h"
#include "frontend/design_derivation.h"
#include "frontend/fixed_point.h"
#include "tests/design_record.h"

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

TEST(ReadInteger, TakesALineHoldingOneNumberAndRefusesAnyOtherWholeLine)
{
    const struct { const char* text; AnswerStatus status; int value; const char* left; } cases[] = {
        {"48000\n2\n", AnswerStatus::Accepted, 48000, "2\n"},
        {"  \n\n\t-12 \t\r\n7\n", AnswerStatus::Accepted, -12, "7\n"},
        {"+5", AnswerStatus::Accepted, 5, ""},
        {"\xEF\xBB\xBF" "8000\r\n", AnswerStatus::Accepted, 8000, ""},  // a byte-order mark
        {"2147483647\n", AnswerStatus::Accepted, 2147483647, ""},
        {"-2147483648\n", AnswerStatus::Accepted, INT32_MIN, ""},
        {"2147483648\n7\n", AnswerStatus::Refused, 0, "7\n"},
        {"-2147483649\n", AnswerStatus::Refused, 0, ""},
        // The ends of the range in other spellings, and the white space "%d" passes over first.
        {"+2147483647\n", AnswerStatus::Accepted, 2147483647, ""},
        {"0002147483647\n", AnswerStatus::Accepted, 2147483647, ""},
        {"-0\n", AnswerStatus::Accepted, 0, ""},
        {"\f\v\r8000\n", AnswerStatus::Accepted, 8000, ""},
        {"+2147483648\n", AnswerStatus::Refused, 0, ""},
        {"-0002147483649\n", AnswerStatus::Refused, 0, ""},
        {"60 dB \n", AnswerStatus::Refused, 0, ""},
        {"99999999999999999999\n", AnswerStatus::Refused, 0, ""},
        {"12.5\n7\n", AnswerStatus::Refused, 0, "7\n"},
        {"48000 Hz\nL\n", AnswerStatus::Refused, 0, "L\n"},
        {"60 7\n", AnswerStatus::Refused, 0, ""},
        {"abc\n", AnswerStatus::Refused, 0, ""},
        {"-\n", AnswerStatus::Refused, 0, ""},
        {"\xEF\n7\n", AnswerStatus::Refused, 0, "7\n"},  // a broken mark
        {" \n\n", AnswerStatus::EndOfInput, 0, ""},
        {"", AnswerStatus::EndOfInput, 0, ""},
    };
    for (const auto& c : cases) {
        std::FILE* input = std::tmpfile();
        std::fputs(c.text, input);
        std::rewind(input);
        std::int32_t value = 0;
        const AnswerStatus status = read_integer(input, &value);
        EXPECT_EQ(status, c.status) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        std::string left;
        for (int ch = std::getc(input); ch != EOF; ch = std::getc(input)) left += static_cast<char>(ch);
        EXPECT_EQ(left, c.left) << c.text;
        std::fclose(input);
    }
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
