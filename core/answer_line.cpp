#include "core/answer_line.h"

#include <cctype>

namespace {

constexpr std::int64_t BEYOND_RANGE = std::int64_t{INT32_MAX} + 2;

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool is_trailing_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

void add_to_answer(AnswerLine& line, char c)
{
    using Part = AnswerLine::Part;
    switch (line.part) {
    case Part::Before:
        if (c == '+' || c == '-') {
            line.negative = c == '-';
            line.part = Part::Sign;
        } else if (is_digit(c)) {
            line.part = Part::Digits;
            line.magnitude = c - '0';
        } else if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            line.part = Part::Other;
        }
        return;
    case Part::Sign:
    case Part::Digits:
        if (is_digit(c)) {
            line.part = Part::Digits;
            // Digits past the range are still read, so that the whole line is refused.
            if (line.magnitude < BEYOND_RANGE) {
                line.magnitude = line.magnitude * 10 + (c - '0');
            }
            return;
        }
        line.part = line.part == Part::Digits && is_trailing_blank(c) ? Part::After : Part::Other;
        return;
    case Part::After:
        line.part = is_trailing_blank(c) ? Part::After : Part::Other;
        return;
    case Part::Other:
        return;
    }
}

AnswerStatus finish_answer(const AnswerLine& line, std::int32_t* value)
{
    if (line.part != AnswerLine::Part::Digits && line.part != AnswerLine::Part::After) {
        return AnswerStatus::Refused;
    }
    const std::int64_t number = line.negative ? -line.magnitude : line.magnitude;
    if (number < INT32_MIN || number > INT32_MAX) {
        return AnswerStatus::Refused;
    }
    *value = static_cast<std::int32_t>(number);
    return AnswerStatus::Accepted;
}

AnswerStatus parse_answer(const char* text, std::size_t length, std::int32_t* value)
{
    AnswerLine line;
    for (std::size_t i = 0; i < length; ++i) {
        add_to_answer(line, text[i]);
    }
    return line.part == AnswerLine::Part::Before ? AnswerStatus::EndOfInput : finish_answer(line, value);
}

AnswerStatus parse_menu_line(const char* text, std::size_t length, char* key)
{
    std::size_t at = 0;
    while (at < length && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    if (at == length) {
        return AnswerStatus::EndOfInput;
    }
    *key = text[at];
    while (++at < length && is_trailing_blank(text[at])) {
    }
    return at == length ? AnswerStatus::Accepted : AnswerStatus::Refused;
}
