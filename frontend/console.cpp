#include "frontend/console.h"

#include <cctype>

#include "frontend/terminal_keys.h"

Console standard_console()
{
    return Console{stdin, stdout, stderr, keyboard_on_standard_input()};
}

namespace {

// The UTF-8 encoding of U+FEFF, the byte-order mark.
constexpr int BYTE_ORDER_MARK[] = {0xEF, 0xBB, 0xBF};

bool is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// The first character of the next line that is not blank, skipping blank
// lines and byte-order marks; EOF when none is left. A first byte of the
// mark that the rest of the mark does not follow is returned as it is, for
// the caller to refuse, and what followed it stays unread.
int first_character_of_answer(std::FILE* input)
{
    int c = std::getc(input);
    for (;;) {
        while (c != EOF && std::isspace(c) != 0) {
            c = std::getc(input);
        }
        if (c != BYTE_ORDER_MARK[0]) {
            return c;
        }
        for (int i = 1; i < 3; ++i) {
            c = std::getc(input);
            if (c != BYTE_ORDER_MARK[i]) {
                std::ungetc(c, input);
                return BYTE_ORDER_MARK[0];
            }
        }
        c = std::getc(input);
    }
}

// Consumes the rest of the line from c on and says whether it held nothing
// but blanks.
bool rest_of_line_is_blank(std::FILE* input, int c)
{
    bool blank = true;
    while (c != EOF && c != '\n') {
        blank = blank && is_blank(c);
        c = std::getc(input);
    }
    return blank;
}

AnswerStatus end_of_input_or_failure(std::FILE* input)
{
    return std::ferror(input) != 0 ? AnswerStatus::StreamFailed : AnswerStatus::EndOfInput;
}

}  // namespace

AnswerStatus read_integer(std::FILE* input, std::int32_t* value)
{
    int c = first_character_of_answer(input);
    if (c == EOF) {
        return end_of_input_or_failure(input);
    }
    const bool negative = c == '-';
    if (c == '+' || c == '-') {
        c = std::getc(input);
    }
    // The magnitude saturates just past the int32 range; the digits are
    // still consumed so that the whole line is refused.
    constexpr std::int64_t beyond_range = std::int64_t{INT32_MAX} + 2;
    std::int64_t magnitude = 0;
    bool has_digits = false;
    while (c != EOF && std::isdigit(c) != 0) {
        has_digits = true;
        if (magnitude < beyond_range) {
            magnitude = magnitude * 10 + (c - '0');
        }
        c = std::getc(input);
    }
    const bool one_number = rest_of_line_is_blank(input, c);
    if (std::ferror(input) != 0) {
        return AnswerStatus::StreamFailed;
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (!has_digits || !one_number || number < INT32_MIN || number > INT32_MAX) {
        return AnswerStatus::Refused;
    }
    *value = static_cast<std::int32_t>(number);
    return AnswerStatus::Accepted;
}

AnswerStatus read_line_key(std::FILE* input, char* key)
{
    const int c = first_character_of_answer(input);
    if (c == EOF) {
        return end_of_input_or_failure(input);
    }
    *key = static_cast<char>(c);
    const bool one_key = rest_of_line_is_blank(input, std::getc(input));
    if (std::ferror(input) != 0) {
        return AnswerStatus::StreamFailed;
    }
    return one_key ? AnswerStatus::Accepted : AnswerStatus::Refused;
}
