#include "frontend/dialogue.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>

#include "design/filter_stages.h"
#include "frontend/design_derivation.h"
#include "frontend/terminal_keys.h"

namespace {

constexpr char CARRIAGE_RETURN = 13;
constexpr char LINE_FEED = 10;

// What one question accepts.
struct AnswerRange {
    const char* name;      // the question, as the refusal names it
    const char* unit;      // " of Hz", " of dB" or ""
    std::int32_t lowest;
    std::int32_t highest;
    std::optional<std::int32_t> lower_cutoff;  // upper band edge only: the value it may not equal
};

bool is_terminal(const Console& console)
{
    return console.terminal_fd >= 0;
}

bool accepts(const AnswerRange& range, std::int32_t value)
{
    return value >= range.lowest && value <= range.highest && value != range.lower_cutoff;
}

void report_refusal(const Console& console, const AnswerRange& range)
{
    std::fprintf(console.errors, "fir_design: %s: enter a whole number%s from %d to %d",
                 range.name, range.unit, range.lowest, range.highest);
    if (range.lower_cutoff) {
        std::fprintf(console.errors, " other than the lower cutoff frequency, %d", *range.lower_cutoff);
    }
    std::fputs("\n", console.errors);
}

// Writes the prompt and reads the answer until one in range is typed, or,
// from a pipe or file, until the first refusal.
AnswerStatus ask_number(const Console& console, const char* prompt, const AnswerRange& range,
                        std::int32_t* answer)
{
    for (;;) {
        std::fputs(prompt, console.output);
        std::fflush(console.output);
        std::int32_t value = 0;
        const AnswerStatus status = read_integer(console.input, &value);
        if (status == AnswerStatus::EndOfInput) {
            return status;
        }
        if (status == AnswerStatus::Accepted && accepts(range, value)) {
            *answer = value;
            return status;
        }
        report_refusal(console, range);
        if (!is_terminal(console)) {
            return AnswerStatus::Refused;
        }
        discard_line(console.input);
    }
}

void echo_key(const Console& console, char key)
{
    std::fprintf(console.output, "%c", std::toupper(static_cast<unsigned char>(key)));
    std::fflush(console.output);
}

// One key from the keyboard, echoed, then every key up to Enter dropped.
// The key itself never counts as that Enter.
// Key mode starts before the prompt is shown, so that no key typed after it
// appears can reach the terminal's own line editing and echo.
AnswerStatus read_key_from_terminal(const Console& console, char* key)
{
    const bool key_mode = begin_key_reading(console.terminal_fd);
    const int key_mode_error = errno;
    std::fflush(console.output);
    if (!key_mode) {
        std::fprintf(console.errors, "fir_design: cannot read single keys from the terminal: %s\n",
                     std::strerror(key_mode_error));
        return AnswerStatus::Refused;
    }
    AnswerStatus status = read_terminal_key(key);
    if (status == AnswerStatus::Accepted) {
        echo_key(console, *key);
        char next = 0;
        do {
            status = read_terminal_key(&next);
        } while (status == AnswerStatus::Accepted && next != CARRIAGE_RETURN && next != LINE_FEED);
    }
    end_key_reading();
    return status;
}

// Shows the pending prompt and reads the menu key.
AnswerStatus read_menu_key(const Console& console, char* key)
{
    if (is_terminal(console)) {
        return read_key_from_terminal(console, key);
    }
    std::fflush(console.output);
    const AnswerStatus status = read_line_key(console.input, key);
    if (status == AnswerStatus::Accepted) {
        echo_key(console, *key);
    }
    return status;
}

AnswerStatus ask_cutoffs(const Console& console, FilterType type, FilterDesign& design)
{
    const std::int32_t nyquist = design.sample_rate / 2;
    switch (type) {
    case FilterType::LowPass:
        return ask_number(console, "What is the cutoff frequency? ",
                          {"cutoff frequency", " of Hz", 1, nyquist, std::nullopt}, &design.cutoff);
    case FilterType::HighPass:
        return ask_number(console, "What is the cutoff frequency? ",
                          {"cutoff frequency", " of Hz", 0, nyquist - 1, std::nullopt},
                          &design.cutoff);
    case FilterType::BandPass:
        break;
    }
    AnswerStatus status = ask_number(console, "What is the lower cutoff frequency? ",
                                     {"lower cutoff frequency", " of Hz", 0, nyquist, std::nullopt},
                                     &design.lower_cutoff);
    if (status == AnswerStatus::Accepted) {
        // Swapped edges are accepted (they give the negated response);
        // equal edges would leave no pass band.
        status = ask_number(console, "What is the upper cutoff frequency? ",
                            {"upper cutoff frequency", " of Hz", 0, nyquist, design.lower_cutoff},
                            &design.upper_cutoff);
    }
    return status;
}

}  // namespace

AnswerStatus read_filter_type(const Console& console, FilterDesign& design)
{
    for (;;) {
        std::fputs("\n", console.output);
        std::fputs("Choices are 'L' for Low Pass, 'H' for High Pass, or 'B' for Band Pass\n",
                   console.output);
        std::fputs("Choose a filter type ", console.output);

        char key = 0;
        const AnswerStatus status = read_menu_key(console, &key);
        if (status != AnswerStatus::Accepted) {
            return status;
        }
        design.filter_type = key;
        std::fputs("\n", console.output);

        const std::optional<FilterType> type = filter_type_of_key(key);
        if (type) {
            return ask_cutoffs(console, *type, design);
        }
        if (!is_terminal(console)) {
            std::fputs("fir_design: filter type: enter L, H or B\n", console.errors);
            return AnswerStatus::Refused;
        }
    }
}

AnswerStatus run_dialogue(const Console& console, FilterDesign& design)
{
    std::fputs("All numbers must be integers!\n", console.output);
    std::fputs("Select from 8000, 16000, 24000, 48000, 96000, 192000\n", console.output);

    // Below 2 Hz no pass band fits between 0 and half the sample rate.
    AnswerStatus status = ask_number(console, "What is the sample frequency? ",
                                     {"sample rate", " of Hz", 2, INT32_MAX, std::nullopt},
                                     &design.sample_rate);
    if (status == AnswerStatus::Accepted) {
        status = read_filter_type(console, design);
    }
    if (status == AnswerStatus::Accepted) {
        status = ask_number(console, "What is the stop band attenuation? ",
                            {"stop band attenuation", " of dB", 0, MAX_STOP_BAND_ATTENUATION,
                             std::nullopt},
                            &design.stop_band_attenuation);
    }
    if (status == AnswerStatus::Accepted) {
        // The window divides by (N - 1)^2, so one tap has no design.
        status = ask_number(console, "How many coefficients do you want? (less than or equal to 2049) ",
                            {"number of coefficients", "", 2, MAX_COEFFICIENTS, std::nullopt},
                            &design.number_of_coefficients);
    }
    if (status == AnswerStatus::EndOfInput) {
        if (is_terminal(console)) {
            std::fputs("\n", console.output);  // leave the prompt's line before the message
            std::fflush(console.output);
        }
        std::fputs("fir_design: input ended before the last answer; no file written\n",
                   console.errors);
    }
    return status;
}
