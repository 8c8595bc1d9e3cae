// The questions of the dialogue, wherever they are asked (at the console or
// on the page), with the answers each accepts and the words of a refusal.
#ifndef FIR_DESIGN_QUESTIONS_H
#define FIR_DESIGN_QUESTIONS_H

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/filter_stages.h"
#include "core/filter_design_record.h"
#include "core/text_span.h"

// One end of an accepted range: `value`, plus half the sample rate when
// `from_half_rate` is set.
struct Bound {
    std::int32_t value;
    bool from_half_rate;
};

// A numeric question and the answers it accepts.
struct Question {
    const char* prompt;
    const char* name;  // the answer, as a refusal names it
    const char* unit;  // " of Hz", " of dB" or ""
    Bound lowest;
    Bound highest;
};

// Every numeric question with its range; the checks and the refusals both
// read them from here. Below 2 Hz no band fits under half the sample rate;
// a low pass needs a band above 0 Hz and a high pass one below half the
// rate; the upper band edge may not also equal the lower one (an empty
// band); the window divides by (N - 1)^2, so one tap has no design.
constexpr Question SAMPLE_RATE_QUESTION = {
    "What is the sample frequency? ", "sample rate", " of Hz", {2, false}, {INT32_MAX, false}};
constexpr Question LOW_PASS_CUTOFF_QUESTION = {
    "What is the cutoff frequency? ", "cutoff frequency", " of Hz", {1, false}, {0, true}};
constexpr Question HIGH_PASS_CUTOFF_QUESTION = {
    "What is the cutoff frequency? ", "cutoff frequency", " of Hz", {0, false}, {-1, true}};
constexpr Question LOWER_CUTOFF_QUESTION = {
    "What is the lower cutoff frequency? ", "lower cutoff frequency", " of Hz", {0, false}, {0, true}};
constexpr Question UPPER_CUTOFF_QUESTION = {
    "What is the upper cutoff frequency? ", "upper cutoff frequency", " of Hz", {0, false}, {0, true}};
constexpr Question ATTENUATION_QUESTION = {
    "What is the stop band attenuation? ", "stop band attenuation", " of dB",
    {0, false}, {MAX_STOP_BAND_ATTENUATION, false}};
constexpr Question COEFFICIENT_COUNT_QUESTION = {
    "How many coefficients do you want? (less than or equal to 2049) ", "number of coefficients", "",
    {2, false}, {MAX_COEFFICIENTS, false}};

// The menu's prompt, and the refusal of a key that names no filter type.
constexpr const char* FILTER_TYPE_PROMPT = "Choose a filter type ";
constexpr const char* FILTER_TYPE_REFUSAL = "filter type: enter L, H or B";

// Longest refusal describe_refusal writes, its closing '\0' included.
constexpr std::size_t MAX_REFUSAL = 160;

// Whether `question` accepts `value`, for a sample rate of twice
// `half_rate` Hz: from its lowest to its highest answer, and not `excluded`
// (the upper band edge may not equal the lower one).
bool accepts_answer(const Question& question, std::int32_t value, std::int32_t half_rate,
                    std::optional<std::int32_t> excluded);

// The refusal of an answer `question` does not accept, saying what it
// accepts, as one line without its end: "sample rate: enter a whole number
// of Hz from 2 to 2147483647". `text` holds at least MAX_REFUSAL bytes.
void describe_refusal(const Question& question, std::int32_t half_rate,
                      std::optional<std::int32_t> excluded, TextSpan& text);

#endif
