#include "frontend/console.h"

#include <cctype>

#include <unistd.h>

Console standard_console()
{
    const int keyboard = isatty(STDIN_FILENO) != 0 ? STDIN_FILENO : -1;
    return Console{stdin, stdout, stderr, keyboard};
}

namespace {

// The first character of input that is not white space, or EOF.
int skip_white_space(std::FILE* input)
{
    int c = std::getc(input);
    while (c != EOF && std::isspace(c) != 0) {
        c = std::getc(input);
    }
    return c;
}

}  // namespace

AnswerStatus read_integer(std::FILE* input, std::int32_t* value)
{
    int c = skip_white_space(input);
    if (c == EOF) {
        return AnswerStatus::EndOfInput;
    }
    const bool negative = c == '-';
    if (c == '+' || c == '-') {
        c = std::getc(input);
    }
    // The magnitude saturates just past the int32 range; the digits are
    // still consumed so that the whole word is refused.
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
    if (c != EOF) {
        std::ungetc(c, input);
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (!has_digits || (c != EOF && std::isspace(c) == 0) || number < INT32_MIN || number > INT32_MAX) {
        return AnswerStatus::Refused;
    }
    *value = static_cast<std::int32_t>(number);
    return AnswerStatus::Accepted;
}

AnswerStatus read_line_key(std::FILE* input, char* key)
{
    const int c = skip_white_space(input);
    if (c == EOF) {
        return AnswerStatus::EndOfInput;
    }
    *key = static_cast<char>(c);
    discard_line(input);
    return AnswerStatus::Accepted;
}

void discard_line(std::FILE* input)
{
    int c = std::getc(input);
    while (c != EOF && c != '\n') {
        c = std::getc(input);
    }
}
