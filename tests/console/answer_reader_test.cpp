// The console's reader of a piped answer: one whole line holding one
// number, as the dialogue takes it from a script.
#include <cstdint>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "console/console.h"

namespace {

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

}  // namespace
