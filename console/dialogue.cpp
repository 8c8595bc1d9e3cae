#include "console/dialogue.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "core/design_derivation.h"
#include "console/keyboard_answers.h"
#include "core/questions.h"

namespace {

bool is_terminal(const Console& console)
{
    return console.terminal_fd >= 0;
}

// Reads the answer to `prompt`, which has been written: typed at the
// keyboard, or the next line from a pipe or file. Failures are reported.
AnswerStatus read_answer(const Console& console, const char* prompt, std::int32_t* value)
{
    if (!flush_output(console)) {
        return AnswerStatus::StreamFailed;
    }
    if (is_terminal(console)) {
        return read_keyboard_integer(console, prompt, value);
    }
    const AnswerStatus status = read_integer(console.input, value);
    if (status == AnswerStatus::StreamFailed) {
        report_stream_failure(console, "read standard input");
    }
    return status;
}

// Writes the prompt and reads the answer until one from lowest to highest,
// other than `excluded`, is typed, or, from a pipe or file, until the first
// refusal.
AnswerStatus ask_number(const Console& console, const Question& question, std::int32_t half_rate,
                        std::optional<std::int32_t> excluded, std::int32_t* answer)
{
    for (;;) {
        std::fputs(question.prompt, console.output);
        std::int32_t value = 0;
        const AnswerStatus status = read_answer(console, question.prompt, &value);
        if (status == AnswerStatus::Accepted && accepts_answer(question, value, half_rate, excluded)) {
            *answer = value;
            return status;
        }
        if (status == AnswerStatus::StreamFailed || status == AnswerStatus::EndOfInput) {
            return status;
        }
        char refusal[MAX_REFUSAL];
        TextSpan text{refusal, sizeof refusal, 0};
        describe_refusal(question, half_rate, excluded, text);
        std::fprintf(console.errors, "fir_design: %s\n", refusal);
        if (!console.asks_again) {
            return AnswerStatus::Refused;
        }
    }
}

// Shows the pending prompt and reads the menu key. From a pipe or file,
// Refused when the key's line holds more than the key.
AnswerStatus read_menu_key(const Console& console, const char* prompt, char* key)
{
    if (!flush_output(console)) {
        return AnswerStatus::StreamFailed;
    }
    if (is_terminal(console)) {
        return read_keyboard_menu_key(console, prompt, key);
    }
    const AnswerStatus status = read_line_key(console.input, key);
    if (status == AnswerStatus::StreamFailed) {
        report_stream_failure(console, "read standard input");
    }
    // A line typed at a terminal is on the screen already, as its terminal echoed it.
    if (status == AnswerStatus::Accepted && !console.asks_again && !echo_menu_key(console, *key)) {
        return AnswerStatus::StreamFailed;
    }
    return status;
}

AnswerStatus ask_cutoffs(const Console& console, FilterType type, FilterDesign& design)
{
    const std::int32_t half_rate = half_sample_rate(design);
    switch (type) {
    case FilterType::LowPass:
        return ask_number(console, LOW_PASS_CUTOFF_QUESTION, half_rate, std::nullopt, &design.cutoff);
    case FilterType::HighPass:
        return ask_number(console, HIGH_PASS_CUTOFF_QUESTION, half_rate, std::nullopt, &design.cutoff);
    case FilterType::BandPass:
        break;
    }
    AnswerStatus status =
        ask_number(console, LOWER_CUTOFF_QUESTION, half_rate, std::nullopt, &design.lower_cutoff);
    if (status == AnswerStatus::Accepted) {
        // Swapped edges are accepted: they give the negated response.
        status = ask_number(console, UPPER_CUTOFF_QUESTION, half_rate, design.lower_cutoff,
                            &design.upper_cutoff);
    }
    return status;
}

}  // namespace

AnswerStatus read_filter_type(const Console& console, FilterDesign& design, FilterType& type)
{
    for (;;) {
        std::fputs("\n", console.output);
        std::fputs("Choices are 'L' for Low Pass, 'H' for High Pass, or 'B' for Band Pass\n",
                   console.output);
        std::fputs(FILTER_TYPE_PROMPT, console.output);

        char key = 0;
        AnswerStatus status = read_menu_key(console, FILTER_TYPE_PROMPT, &key);
        if (status == AnswerStatus::Accepted) {
            design.filter_type = key;
            std::fputs("\n", console.output);
            const std::optional<FilterType> chosen = filter_type_of_key(key);
            if (chosen) {
                type = *chosen;
                return ask_cutoffs(console, type, design);
            }
            status = AnswerStatus::Refused;
        }
        if (status != AnswerStatus::Refused) {
            return status;
        }
        if (!console.asks_again) {
            std::fprintf(console.errors, "fir_design: %s\n", FILTER_TYPE_REFUSAL);
            return status;
        }
    }
}

namespace {

// Every question in order, until one is not answered.
AnswerStatus ask_every_question(const Console& console, FilterDesign& design, FilterType& type)
{
    std::fputs("All numbers must be integers!\n", console.output);
    std::fputs("Select from 8000, 16000, 24000, 48000, 96000, 192000\n", console.output);

    AnswerStatus status =
        ask_number(console, SAMPLE_RATE_QUESTION, 0, std::nullopt, &design.sample_rate);
    if (status == AnswerStatus::Accepted) {
        status = read_filter_type(console, design, type);
    }
    if (status == AnswerStatus::Accepted) {
        status = ask_number(console, ATTENUATION_QUESTION, 0, std::nullopt,
                            &design.stop_band_attenuation);
    }
    if (status == AnswerStatus::Accepted) {
        status = ask_number(console, COEFFICIENT_COUNT_QUESTION, 0, std::nullopt,
                            &design.number_of_coefficients);
    }
    return status;
}

}  // namespace

AnswerStatus run_dialogue(const Console& console, FilterDesign& design, FilterType& type)
{
    // At a keyboard, key mode holds from before the first prompt to after
    // the last answer, so that no key reaches the terminal's own line
    // editing and echo between two questions.
    if (is_terminal(console) && !begin_keyboard_answers(console)) {
        std::fprintf(console.errors, "fir_design: cannot read single keys from the terminal: %s\n",
                     std::strerror(errno));
        return AnswerStatus::StreamFailed;
    }
    const AnswerStatus status = ask_every_question(console, design, type);
    if (is_terminal(console)) {
        end_keyboard_answers();
    }
    if (status == AnswerStatus::EndOfInput) {
        if (console.asks_again) {
            std::fputs("\n", console.output);  // leave the prompt's line before the message
            std::fflush(console.output);
        }
        std::fputs("fir_design: input ended before the last answer; no file written\n",
                   console.errors);
    }
    return status;
}
