// The page's entry points. The page writes the text of each field into the
// module (field_text, set_field) and chooses the filter type; update() then
// reads every answer as the console reads an answer line, checks it against
// the console's own ranges in the console's order, and, once every answer
// is accepted, designs the filter, puts together the file's text and
// measures the response of the table the chosen target holds (the file's
// integers by default). Every buffer is the module's own
// and stays valid until the next update(). Every export checks the field
// numbers, indices and lengths the page passes, and refuses (returns 0, an
// empty text or NOT_A_FIGURE) what is out of range.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "core/answer_line.h"
#include "core/coefficient_text.h"
#include "core/design_derivation.h"
#include "core/design_filter.h"
#include "core/filter_stages.h"
#include "core/fixed_point.h"
#include "core/questions.h"
#include "web/cmsis_file.h"
#include "web/fixed_point_facts.h"
#include "web/length_search.h"
#include "web/response_measure.h"
#include "web/table_optimizer.h"
#include "web/target_table.h"

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {

// The page's fields, in the console's order, then the page's own: the
// transition width, for Kaiser's estimate and the search, and the drop-in
// file's block size.
enum Field { SAMPLE_RATE, CUTOFF, LOWER_CUTOFF, UPPER_CUTOFF, ATTENUATION, COEFFICIENT_COUNT,
             TRANSITION_WIDTH, BLOCK_SIZE, FIELD_COUNT };

// How a field stands after update().
enum FieldState {
    ACCEPTED,
    REFUSED,  // its message says what is accepted
    BLANK,    // nothing typed yet
    WAITING,  // its range depends on an answer not yet accepted
    UNASKED,  // not a question of the chosen filter type
};

// A field's text comes in pieces of at most this many bytes, each judged as
// it comes, so that a field of any length is judged as the console judges a
// line it reads, without being stored.
constexpr int FIELD_CHUNK = 256;

constexpr Question TRANSITION_WIDTH_QUESTION = {
    "What transition width do you need? ", "transition width", " of Hz", {1, false}, {0, true}};

// The drop-in file's block size: the samples a call to the filter takes.
constexpr Question BLOCK_SIZE_QUESTION = {
    "How many samples does a call to the filter take? ", "block size", "", {MIN_BLOCK_SIZE, false},
    {MAX_BLOCK_SIZE, false}};

// Each field's element on the page, its name in the page's link and the
// question it asks (a low pass's for the cutoff), in the order of Field: the
// one place the page learns the order from.
struct FieldNames {
    const char* element;
    const char* link;
    const Question* question;
};
constexpr FieldNames FIELD_NAMES[FIELD_COUNT] = {
    {"sample-rate", "rate", &SAMPLE_RATE_QUESTION}, {"cutoff", "cutoff", &LOW_PASS_CUTOFF_QUESTION},
    {"lower-cutoff", "lower", &LOWER_CUTOFF_QUESTION}, {"upper-cutoff", "upper", &UPPER_CUTOFF_QUESTION},
    {"attenuation", "attenuation", &ATTENUATION_QUESTION}, {"coefficient-count", "taps", &COEFFICIENT_COUNT_QUESTION},
    {"transition-width", "width", &TRANSITION_WIDTH_QUESTION}, {"block-size", "block", &BLOCK_SIZE_QUESTION}};

struct FieldRecord {
    AnswerLine line;
    FieldState state;
    std::int32_t value;
    char message[MAX_REFUSAL];
};

FieldRecord fields[FIELD_COUNT];
char chunk[FIELD_CHUNK];
char filter_key = 'L';
Target target = Target::Q15;

FilterDesign design{};
DesignArrays arrays;
CoefficientText text;
TapFractions table;
double gain_db[RESPONSE_POINTS];
ResponseFigures figures{};
FixedPointFacts facts{};
char cmsis_text_buffer[MAX_CMSIS_TEXT];
std::size_t cmsis_text_length_now = 0;
char cmsis_header_buffer[MAX_CMSIS_HEADER];
std::size_t cmsis_header_length_now = 0;
char cmsis_file_name_now[MAX_CMSIS_FILE_NAME];
char cmsis_header_name_now[MAX_CMSIS_FILE_NAME];
char block_advice[512];
// The filter's name in the drop-in files, as typed, and whether it is one.
char filter_name[FIELD_CHUNK + 1] = "fir";
bool filter_name_accepted = true;
char filter_name_message[MAX_REFUSAL];
// The optimized table of the design shown, with its own work area.
TableOptimizer display_optimizer;
// Of the 16-bit tables but the console's: the file's text in the console's
// format, under a first line that names the table, and its name.
CoefficientText table_text;
DesignBands bands{};
bool ready = false;
ResponseScratch response_scratch;
// A tap this far from 0, in steps of the integers, is a zero of the design
// that rounding in sin() left behind, not a small tap.
constexpr double DESIGN_ZERO = 1e-6;

// Checks one field's answer against `question`. A blank field is refused
// as the console refuses a blank answer, but for the page's own optional
// transition width.
void check(Field field, const Question& question, std::int32_t half_rate, std::optional<std::int32_t> excluded)
{
    FieldRecord& record = fields[field];
    record.message[0] = '\0';
    if (field == TRANSITION_WIDTH && record.line.part == AnswerLine::Part::Before) {
        record.state = BLANK;
        return;
    }
    const AnswerStatus status = finish_answer(record.line, &record.value);
    if (status == AnswerStatus::Accepted && accepts_answer(question, record.value, half_rate, excluded)) {
        record.state = ACCEPTED;
        return;
    }
    record.state = REFUSED;
    TextSpan message{record.message, sizeof record.message, 0};
    describe_refusal(question, half_rate, excluded, message);
}

void set_state(Field field, FieldState state)
{
    fields[field].state = state;
    fields[field].message[0] = '\0';
}

bool accepted(Field field)
{
    return fields[field].state == ACCEPTED;
}

// Every field in the console's order; true when the design has every answer.
bool check_every_field(FilterType type)
{
    check(SAMPLE_RATE, SAMPLE_RATE_QUESTION, 0, std::nullopt);
    const std::int32_t half_rate = accepted(SAMPLE_RATE) ? fields[SAMPLE_RATE].value / 2 : 0;
    const bool band = type == FilterType::BandPass;
    // The questions whose range depends on the sample rate wait for it; the
    // cutoffs of the other filter types are not asked.
    for (const Field field : {CUTOFF, LOWER_CUTOFF, UPPER_CUTOFF, TRANSITION_WIDTH}) {
        const bool asked = field == TRANSITION_WIDTH || (field == CUTOFF) != band;
        set_state(field, !asked ? UNASKED : WAITING);
    }
    if (band && accepted(SAMPLE_RATE)) {
        check(LOWER_CUTOFF, LOWER_CUTOFF_QUESTION, half_rate, std::nullopt);
        if (accepted(LOWER_CUTOFF)) {
            check(UPPER_CUTOFF, UPPER_CUTOFF_QUESTION, half_rate, fields[LOWER_CUTOFF].value);
        }
    } else if (accepted(SAMPLE_RATE)) {
        check(CUTOFF, type == FilterType::LowPass ? LOW_PASS_CUTOFF_QUESTION : HIGH_PASS_CUTOFF_QUESTION,
              half_rate, std::nullopt);
    }
    if (accepted(SAMPLE_RATE)) {
        check(TRANSITION_WIDTH, TRANSITION_WIDTH_QUESTION, half_rate, std::nullopt);
    }
    check(ATTENUATION, ATTENUATION_QUESTION, 0, std::nullopt);
    check(COEFFICIENT_COUNT, COEFFICIENT_COUNT_QUESTION, 0, std::nullopt);
    check(BLOCK_SIZE, BLOCK_SIZE_QUESTION, 0, std::nullopt);
    return accepted(SAMPLE_RATE) && (band ? accepted(LOWER_CUTOFF) && accepted(UPPER_CUTOFF) : accepted(CUTOFF))
           && accepted(ATTENUATION) && accepted(COEFFICIENT_COUNT);
}

// The record as the dialogue leaves it for these answers, with `count`
// coefficients.
FilterDesign answered_design(FilterType type, std::int32_t count)
{
    FilterDesign answered{};
    answered.sample_rate = fields[SAMPLE_RATE].value;
    answered.filter_type = filter_key;
    if (type == FilterType::BandPass) {
        answered.lower_cutoff = fields[LOWER_CUTOFF].value;
        answered.upper_cutoff = fields[UPPER_CUTOFF].value;
    } else {
        answered.cutoff = fields[CUTOFF].value;
    }
    answered.stop_band_attenuation = fields[ATTENUATION].value;
    answered.number_of_coefficients = count;
    derive_design_values(answered, type);
    return answered;
}

double in_hz(double cycles_per_sample)
{
    return cycles_per_sample * design.sample_rate;
}

bool is_field(int field)
{
    return field >= 0 && field < FIELD_COUNT;
}

bool is_target(int index)
{
    return index >= 0 && index < TARGET_COUNT;
}

// The impulse and step responses of the written integers, a sample each.
double impulse_values[MAX_COEFFICIENTS];
double step_values[MAX_COEFFICIENTS];

// The search for the shortest length, with arrays of its own, so that the
// shown design stays as it is.
DesignArrays search_arrays;
LengthSearchState search_state;
ResponseScratch search_scratch;
bool search_started = false;

// The bands every table is measured on, the plot shades and the optimized
// table is judged on: those of the typed transition width, as the search
// judges a length, or Kaiser's for the length and attenuation where no
// width is typed or it leaves no stop band. One set, so that no figure
// contradicts the search, and the optimized table, made for these bands, is
// never shown as worse than the rounded one.
DesignBands judged_bands()
{
    if (accepted(TRANSITION_WIDTH)) {
        const DesignBands typed = bands_for_width(design, static_cast<double>(fields[TRANSITION_WIDTH].value)
                                                              / design.sample_rate);
        if (typed.stop_count > 0) {
            return typed;
        }
    }
    return design_bands(design);
}

// The first line of the file's text for the 16-bit tables but the
// console's, and the name it downloads as.
struct TableFile {
    const char* first_line;
    const char* name;
};
TableFile table_file()
{
    switch (target) {
    case Target::Q15_ROUNDED:
        return {"/* The design's taps times 32768, rounded to nearest: not the console's file, whose taps are "
                "truncated. */\n",
                "filter_coefficients_rounded.c"};
    case Target::Q15_OPTIMIZED:
        return {"/* 16-bit taps optimized from the rounded ones: not the console's file, whose taps are "
                "truncated. */\n",
                "filter_coefficients_optimized.c"};
    default:
        return {"", COEFFICIENT_FILE_NAME};
    }
}

// The file's text of the chosen table where it is one of the other 16-bit
// tables. False when it does not fit.
bool format_table_text(int count)
{
    const TableFile file = table_file();
    if (*file.first_line == '\0') {
        return true;
    }
    static Coefficients integers;
    for (int i = 0; i < count; ++i) {
        integers[i] = static_cast<std::int32_t>(table[i] * Q15);
    }
    CoefficientText& body = table_text;
    if (!format_coefficient_text(design, integers, body)) {
        return false;
    }
    const std::size_t head = std::strlen(file.first_line);
    if (head + body.length + 1 > body.characters.size()) {
        return false;
    }
    std::memmove(body.characters.data() + head, body.characters.data(), body.length + 1);
    std::memcpy(body.characters.data(), file.first_line, head);
    body.length += head;
    return true;
}

// The drop-in file for the chosen table, its header and what the vector
// build needs of the block size: the file while every tap is a value the
// table's type holds and the name is accepted, the header while the block
// size is too.
void write_cmsis_files(int count)
{
    const bool named = filter_name_accepted;
    cmsis_text_length_now = facts.fits && named
        ? format_cmsis_file(target, table, count, filter_name, cmsis_text_buffer, sizeof cmsis_text_buffer) : 0;
    const bool block_accepted = accepted(BLOCK_SIZE);
    cmsis_header_length_now = facts.fits && named && block_accepted
        ? format_cmsis_header(target, count, fields[BLOCK_SIZE].value, filter_name, cmsis_header_buffer,
                              sizeof cmsis_header_buffer)
        : 0;
    cmsis_file_name(target, named ? filter_name : DEFAULT_FILTER_NAME, cmsis_file_name_now);
    cmsis_header_name(target, named ? filter_name : DEFAULT_FILTER_NAME, cmsis_header_name_now);
    block_advice[0] = '\0';
    TextSpan advice{block_advice, sizeof block_advice, 0};
    if (block_accepted && !append_block_advice(advice, target, count, fields[BLOCK_SIZE].value, " ")) {
        block_advice[0] = '\0';
    }
}

}  // namespace

// Where the page puts the next piece of a field's text, FIELD_CHUNK bytes.
EXPORT(field_chunk) char* field_chunk() { return chunk; }
EXPORT(field_chunk_size) int field_chunk_size() { return FIELD_CHUNK; }

// The fields, each with the id of its element on the page and its name in
// the page's link; an unknown field has empty names.
EXPORT(field_count) int field_count() { return FIELD_COUNT; }
EXPORT(field_element) const char* field_element(int field) { return is_field(field) ? FIELD_NAMES[field].element : ""; }
EXPORT(field_link_name) const char* field_link_name(int field) { return is_field(field) ? FIELD_NAMES[field].link : ""; }

// The most coefficients a design may have.
EXPORT(max_coefficients) int max_coefficients() { return MAX_COEFFICIENTS; }

// Empties a field, before its text comes in pieces.
EXPORT(clear_field) void clear_field(int field)
{
    if (is_field(field)) {
        fields[field].line = AnswerLine{};
    }
}

// The next `length` bytes of a field's text are in field_chunk().
EXPORT(add_to_field) void add_to_field(int field, int length)
{
    for (int i = 0; is_field(field) && i < length && i < FIELD_CHUNK; ++i) {
        add_to_answer(fields[field].line, chunk[i]);
    }
}

// The filter-type key a menu line holds, as the console reads a piped one
// (`length` bytes in field_chunk()), or 0 when the console would refuse it.
EXPORT(menu_line_key) int menu_line_key(int length)
{
    char key = 0;
    if (length < 0) {
        return 0;
    }
    const bool one_key = parse_menu_line(chunk, static_cast<std::size_t>(length < FIELD_CHUNK ? length : FIELD_CHUNK), &key)
                         == AnswerStatus::Accepted;
    return one_key && filter_type_of_key(key) ? key : 0;
}

// The firmware targets, by the names the page's link uses, and the one whose
// table the response, the figures, the facts and the drop-in file show.
EXPORT(target_count) int target_count() { return TARGET_COUNT; }
EXPORT(target_name) const char* target_name_of(int index)
{
    return is_target(index) ? target_name(static_cast<Target>(index)) : "";
}
EXPORT(set_target) bool set_target(int index)
{
    if (is_target(index)) {
        target = static_cast<Target>(index);
    }
    return is_target(index);
}

EXPORT(filter_type_refusal) const char* filter_type_refusal() { return FILTER_TYPE_REFUSAL; }

// The question a field asks, as the console's prompt.
EXPORT(field_prompt) const char* field_prompt(int field)
{
    return is_field(field) ? FIELD_NAMES[field].question->prompt : "";
}

// The menu key that chooses the filter type: L, H or B in either case.
// Returns false, changing nothing, for any other key.
EXPORT(set_filter_type) bool set_filter_type(int key)
{
    if (!filter_type_of_key(static_cast<char>(key))) {
        return false;
    }
    filter_key = static_cast<char>(key);
    return true;
}

// Checks every field and, when all are accepted, designs and measures.
// Returns whether there is a design.
EXPORT(update) bool update()
{
    const FilterType type = *filter_type_of_key(filter_key);
    ready = check_every_field(type);
    if (!ready) {
        return false;
    }
    design = answered_design(type, fields[COEFFICIENT_COUNT].value);
    design_filter(design, arrays);
    ready = format_coefficient_text(design, arrays.coefficients, text);
    const int count = design.number_of_coefficients;
    target_fractions(target, arrays, count, table);
    bands = judged_bands();
    if (target == Target::Q15_OPTIMIZED && bands.stop_count > 0) {
        optimize_table(display_optimizer, table, count, bands, response_scratch);
        table = display_optimizer.table;
    }
    ready = ready && format_table_text(count);
    measure_response(design, bands, table, response_scratch, gain_db, figures);
    facts = fixed_point_facts(target, table, count);
    write_cmsis_files(count);
    return ready;
}

EXPORT(field_state) int field_state(int field) { return is_field(field) ? fields[field].state : UNASKED; }
EXPORT(field_message) const char* field_message(int field) { return is_field(field) ? fields[field].message : ""; }

// The file's text: the console's, or, for the other 16-bit tables, theirs
// in its format under a first line that names the table; and its name.
EXPORT(coefficient_text) const char* coefficient_text()
{
    return !ready ? "" : *table_file().first_line != '\0' ? table_text.characters.data() : text.characters.data();
}
EXPORT(coefficient_text_length) int coefficient_text_length()
{
    return !ready ? 0 : static_cast<int>(*table_file().first_line != '\0' ? table_text.length : text.length);
}
EXPORT(coefficient_file_name) const char* coefficient_file_name() { return table_file().name; }

// Whether rounding to 16 bits saturates a tap of the design (1.0 or more).
EXPORT(rounding_saturates) bool rounding_saturates_now()
{
    const bool rounds = target == Target::Q15_ROUNDED || target == Target::Q15_OPTIMIZED;
    return ready && rounds && rounding_saturates(arrays, design.number_of_coefficients);
}

// The gain in dB at RESPONSE_POINTS frequencies evenly from 0 to half the
// sample rate.
EXPORT(response_db) const double* response_db() { return gain_db; }
EXPORT(response_points) int response_points() { return RESPONSE_POINTS; }
EXPORT(sample_rate) int sample_rate() { return design.sample_rate; }

EXPORT(achieved_attenuation) double achieved_attenuation() { return figures.achieved_attenuation; }
EXPORT(pass_lowest) double pass_lowest() { return figures.pass_lowest; }
EXPORT(pass_highest) double pass_highest() { return figures.pass_highest; }
EXPORT(half_gain_frequency) double half_gain_frequency(int i)
{
    return i >= 0 && i < 2 ? figures.half_gain[i] : NOT_A_FIGURE;
}
EXPORT(half_power_frequency) double half_power_frequency(int i)
{
    return i >= 0 && i < 2 ? figures.half_power[i] : NOT_A_FIGURE;
}
EXPORT(taps_at_zero) int taps_at_zero() { return figures.taps_at_zero; }
EXPORT(band_edge) double band_edge(int i) { return i >= 0 && i < 2 ? figures.band_edge[i] : NOT_A_FIGURE; }
EXPORT(edge_count) int edge_count() { return figures.edge_count; }
EXPORT(peak_gain) double peak_gain() { return figures.peak_gain; }
EXPORT(missing_stops) int missing_stops() { return bands.missing_stops; }

// Taps of the table that are 0 because the design puts a zero there (the
// ideal response is zero at that offset, as every other tap of a half-band
// filter), as against those that the target's rounding made 0.
EXPORT(taps_zero_by_design) int taps_zero_by_design()
{
    int count = 0;
    for (int i = 0; i < design.number_of_coefficients; ++i) {
        count += table[i] == 0 && std::fabs(arrays.impulse_response[i]) * FIXED_POINT_SCALE < DESIGN_ZERO ? 1 : 0;
    }
    return count;
}

// Kaiser's estimate of N for the attenuation and the typed transition
// width (kaiser_length); NOT_A_FIGURE without both, or below
// 8 dB, where the formula has no length.
EXPORT(kaiser_estimate) double kaiser_estimate()
{
    if (!accepted(TRANSITION_WIDTH) || !accepted(ATTENUATION) || fields[ATTENUATION].value < 8) {
        return NOT_A_FIGURE;
    }
    const double width = static_cast<double>(fields[TRANSITION_WIDTH].value) / fields[SAMPLE_RATE].value;
    return kaiser_length(fields[ATTENUATION].value, width);
}

// The bands as the plot shades them, in Hz.
EXPORT(pass_band_low) double pass_band_low() { return in_hz(bands.pass_low); }
EXPORT(pass_band_high) double pass_band_high() { return in_hz(bands.pass_high); }
EXPORT(stop_band_count) int stop_band_count() { return bands.stop_count; }
EXPORT(stop_band_low) double stop_band_low(int i)
{
    return i >= 0 && i < bands.stop_count ? in_hz(bands.stop_low[i]) : NOT_A_FIGURE;
}
EXPORT(stop_band_high) double stop_band_high(int i)
{
    return i >= 0 && i < bands.stop_count ? in_hz(bands.stop_high[i]) : NOT_A_FIGURE;
}

// The impulse and step responses of the chosen table, as the filter gives
// them to a full-scale impulse and step: each tap as a fraction and the
// running sum of those, a sample each.
EXPORT(impulse_response) const double* impulse_response()
{
    double sum = 0;
    for (int i = 0; ready && i < design.number_of_coefficients; ++i) {
        impulse_values[i] = table[i];
        sum += impulse_values[i];
        step_values[i] = sum;
    }
    return impulse_values;
}
EXPORT(step_response) const double* step_response() { return step_values; }
EXPORT(response_length) int response_length() { return ready ? design.number_of_coefficients : 0; }

// The fixed-point facts of the chosen table (see fixed_point_facts.h).
EXPORT(worst_case_gain) double worst_case_gain() { return facts.worst_case_gain; }
EXPORT(overload_db) double overload_db() { return facts.overload_db; }
EXPORT(accumulator_bits) int accumulator_bits() { return facts.accumulator_bits; }
EXPORT(fast_sum_can_overflow) bool fast_sum_can_overflow() { return facts.fast_sum_can_overflow; }
EXPORT(gain_at_zero) double gain_at_zero() { return facts.gain_at_zero; }
EXPORT(gain_at_half_rate) double gain_at_half_rate() { return facts.gain_at_half_rate; }
EXPORT(delay_samples) double delay_samples() { return facts.delay_samples; }
EXPORT(input_shift) int input_shift() { return facts.input_shift; }
EXPORT(table_fits) bool table_fits() { return facts.fits; }

// The drop-in file for the chosen table and its header, and their names;
// empty while the name is refused or a tap is no 16-bit value, and the
// header while the block size is refused too.
EXPORT(cmsis_text) const char* cmsis_text() { return ready ? cmsis_text_buffer : ""; }
EXPORT(cmsis_text_length) int cmsis_text_length() { return ready ? static_cast<int>(cmsis_text_length_now) : 0; }
EXPORT(cmsis_name) const char* cmsis_name() { return cmsis_file_name_now; }
EXPORT(cmsis_header) const char* cmsis_header() { return ready ? cmsis_header_buffer : ""; }
EXPORT(cmsis_header_length) int cmsis_header_length()
{
    return ready ? static_cast<int>(cmsis_header_length_now) : 0;
}
EXPORT(cmsis_header_name) const char* cmsis_header_name_of() { return cmsis_header_name_now; }

// The filter's name, `length` bytes in field_chunk(): accepted when it is a
// C identifier (is_filter_name), else refused with a message.
EXPORT(set_filter_name) bool set_filter_name(int length)
{
    const std::size_t size = length < 0 ? 0 : static_cast<std::size_t>(length < FIELD_CHUNK ? length : FIELD_CHUNK);
    filter_name_message[0] = '\0';
    TextSpan message{filter_name_message, sizeof filter_name_message, 0};
    filter_name_accepted = is_filter_name(chunk, size, message);
    std::memcpy(filter_name, chunk, size);
    filter_name[size] = '\0';
    return filter_name_accepted;
}
EXPORT(filter_name_refusal) const char* filter_name_refusal() { return filter_name_message; }

// What the vector (Helium) build needs of the calls, if anything, in one line.
EXPORT(block_size_advice) const char* block_size_advice() { return ready ? block_advice : ""; }

// The search for the shortest length whose table, as the target numbered
// `target_index` holds it, reaches the attenuation over stop bands half the
// typed transition width beyond each edge. Starts the search for the
// answers as they stand; false, starting nothing, for an unknown target and
// until every answer but the number of coefficients is accepted and the
// transition width leaves a stop band.
EXPORT(search_start) bool search_start(int target_index)
{
    if (!is_target(target_index)) {
        return false;
    }
    const FilterType type = *filter_type_of_key(filter_key);
    check_every_field(type);
    const bool band = type == FilterType::BandPass;
    if (!accepted(SAMPLE_RATE) || !accepted(ATTENUATION) || !accepted(TRANSITION_WIDTH)
        || !(band ? accepted(LOWER_CUTOFF) && accepted(UPPER_CUTOFF) : accepted(CUTOFF))) {
        return false;
    }
    const FilterDesign answers = answered_design(type, MAX_COEFFICIENTS);
    const double width = static_cast<double>(fields[TRANSITION_WIDTH].value) / answers.sample_rate;
    if (bands_for_width(answers, width).stop_count == 0) {
        return false;
    }
    start_length_search(search_state, answers, type, width, static_cast<Target>(target_index));
    search_started = true;
    return true;
}

// The attenuation `count` taps (2 to MAX_COEFFICIENTS) of the table
// numbered `target_index` reach over the bands of the typed transition
// width, as the search measures each length: for measurements of the
// tables against one another. NOT_A_FIGURE where search_start would start
// nothing; -inf where the pass band loses more than 1 dB. Stops a search.
EXPORT(length_attenuation) double length_attenuation(int target_index, int count)
{
    if (count < 2 || count > MAX_COEFFICIENTS || !search_start(target_index)) {
        return NOT_A_FIGURE;
    }
    search_started = false;
    return attenuation_for_length(search_state.design, search_state.type, search_state.width,
                                  static_cast<Target>(target_index), count, search_arrays, search_scratch,
                                  display_optimizer);
}

// Goes on for at most `steps` steps (length_search.h); true once the result is final.
EXPORT(search_continue) bool search_continue(int steps)
{
    return !search_started || continue_length_search(search_state, steps, search_arrays, search_scratch);
}

// The length the search is at, and whether the optimizer is at work there.
EXPORT(search_progress) int search_progress() { return search_length_now(search_state); }
EXPORT(search_optimizing) bool search_optimizing_now() { return search_optimizing(search_state); }
// For the optimized table: the rounded table's answer, and the lengths the
// optimizer tried (length_search.h).
EXPORT(search_rounded_shortest) int search_rounded_shortest() { return search_state.result.rounded_shortest; }
EXPORT(search_lowest_tried) int search_lowest_tried() { return search_state.result.lowest_tried; }
EXPORT(search_optimized) int search_optimized() { return search_state.result.optimized; }
EXPORT(search_shortest) int search_shortest() { return search_state.result.shortest; }
EXPORT(search_shortest_attenuation) double search_shortest_attenuation() { return search_state.result.shortest_attenuation; }
EXPORT(search_best) int search_best() { return search_state.result.best; }
EXPORT(search_best_attenuation) double search_best_attenuation() { return search_state.result.best_attenuation; }
