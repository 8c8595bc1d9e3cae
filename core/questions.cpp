#include "core/questions.h"

namespace {

std::int32_t resolve(Bound bound, std::int32_t half_rate)
{
    return bound.value + (bound.from_half_rate ? half_rate : 0);
}

}  // namespace

bool accepts_answer(const Question& question, std::int32_t value, std::int32_t half_rate,
                    std::optional<std::int32_t> excluded)
{
    return value >= resolve(question.lowest, half_rate) && value <= resolve(question.highest, half_rate)
           && value != excluded;
}

void describe_refusal(const Question& question, std::int32_t half_rate,
                      std::optional<std::int32_t> excluded, TextSpan& text)
{
    append_text(text, question.name);
    append_text(text, ": enter a whole number");
    append_text(text, question.unit);
    append_text(text, " from ");
    append_decimal(text, resolve(question.lowest, half_rate));
    append_text(text, " to ");
    append_decimal(text, resolve(question.highest, half_rate));
    if (excluded) {
        append_text(text, " other than the lower cutoff frequency, ");
        append_decimal(text, *excluded);
    }
}
