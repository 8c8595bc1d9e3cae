#include "web/cmsis_file.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/fixed_point.h"

namespace {

// What the files say and declare for each type of filter, in the order of
// TargetType.
struct TypeFile {
    const char* type;         // the library's type of a tap and a sample
    const char* upper;        // the type's name in capitals, for the header's guard
    int vector;               // entries the vector build reads at a time
    const char* state_size;   // entries of the state, every build's need ('^': the name in capitals)
};
constexpr TypeFile TYPE_FILES[] = {
    {"q15_t", "Q15", 8, "(^_NUM_TAPS + (^_BLOCK_SIZE > ^_VECTOR_STATE ? ^_BLOCK_SIZE : ^_VECTOR_STATE))"},
    {"q31_t", "Q31", 4, "(^_NUM_TAPS + 12 * ((^_BLOCK_SIZE + 3) / 4) - 1)"},
    // What the vector build writes, and the 4 - numTaps % 4 entries past it that it reads.
    {"float32_t", "F32", 4, "(^_NUM_TAPS + ^_BLOCK_SIZE + 4 * ((^_BLOCK_SIZE + 3) / 4) - 1 + (4 - ^_NUM_TAPS % 4) % 4)"},
};

// What each table holds, for the file's comment, in the order of Target.
constexpr const char* TAPS_ARE[TARGET_COUNT] = {
    " * The taps are the 16-bit integers of filter_coefficients.c (the design's\n"
    " * taps times 32767.9, truncated).\n",
    " * The taps are the design's taps times 32768, rounded to nearest and\n"
    " * saturated to the int16 range (not the truncated integers of\n"
    " * filter_coefficients.c).\n",
    " * The taps are 16-bit integers optimized from the rounded ones (the design's\n"
    " * taps times 32768, rounded): integer steps to symmetric pairs that lower\n"
    " * the worst stop-band gain, the pass band kept within 0.05 dB of the rounded\n"
    " * table's (not the truncated integers of filter_coefficients.c).\n",
    " * The taps are the design's taps times 2^31, rounded to nearest and\n"
    " * saturated to the int32 range (not the 16-bit integers of\n"
    " * filter_coefficients.c).\n",
    " * The taps are the design's taps rounded to float (not the 16-bit integers\n"
    " * of filter_coefficients.c).\n",
};

// Taps from which the vector arm_fir_q15 gives wrong output at block sizes
// 4k + 2 and 4k + 3; the taps at which the vector arm_fir_q31 gives wrong
// output at block sizes of 33 and more that are not multiples of 4; the
// taps up to which the vector arm_fir_f32 reads past the input block.
constexpr int Q15_BLOCK_RULE_TAPS = 33;
constexpr int Q31_BLOCK_RULE_TAPS[2] = {29, 32};
constexpr int Q31_BLOCK_RULE_SIZE = 33;
constexpr int F32_INPUT_READ_TAPS = 4;

const TypeFile& file_of(Target target)
{
    return TYPE_FILES[static_cast<int>(target_type(target))];
}

// Appends `text` with '@' replaced by the type's name ("q15"), '$' by the
// filter's name and '^' by the filter's name in capitals.
bool append_named(TextSpan& span, const char* text, Target target, const char* name)
{
    bool fits = true;
    for (const char* at = text; fits && *at != '\0'; ++at) {
        if (*at == '@') {
            fits = append_text(span, type_name(target_type(target)));
        } else if (*at == '$') {
            fits = append_text(span, name);
        } else if (*at == '^') {
            for (const char* c = name; fits && *c != '\0'; ++c) {
                const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
                fits = append_bytes(span, &upper, 1);
            }
        } else {
            fits = append_bytes(span, at, 1);
        }
    }
    return fits;
}

// A float as C source, digits[0 .. precision - 1] times 10^(exponent -
// precision + 1), as "%g" lays it out: plain from 10^-5 up to 10^precision,
// else with an exponent; always a point or an exponent, and an 'f'.
void write_float(char* at, bool negative, std::int64_t digits, int precision, int exponent)
{
    char figures[24] = {};
    for (int i = precision - 1; i >= 0; --i, digits /= 10) {
        figures[i] = static_cast<char>('0' + digits % 10);
    }
    int last = precision - 1;  // the last figure that is not a trailing zero
    while (last > 0 && figures[last] == '0') {
        --last;
    }
    const bool plain = exponent >= -5 && exponent < precision;
    const int whole = plain && exponent >= 0 ? exponent + 1 : 1;  // figures before the point
    if (negative) {
        *at++ = '-';
    }
    if (plain && exponent < 0) {
        *at++ = '0';
        *at++ = '.';
        for (int i = exponent + 1; i < 0; ++i) {
            *at++ = '0';
        }
    } else {
        for (int i = 0; i < whole; ++i) {
            *at++ = figures[i];
        }
        *at++ = '.';
    }
    for (int i = plain && exponent < 0 ? 0 : whole; i <= last; ++i) {
        *at++ = figures[i];
    }
    if (at[-1] == '.') {
        *at++ = '0';
    }
    if (!plain) {
        *at++ = 'e';
        *at++ = exponent < 0 ? '-' : '+';
        at = write_decimal(at, exponent < 0 ? -exponent : exponent);
    }
    *at++ = 'f';
    *at = '\0';
}

// A float tap as C source with the fewest significant figures (at most 9,
// which always suffice) that a compiler reads back as the same float:
// each candidate is read back with strtof, which rounds as a compiler does,
// so that an inexact step in finding the figures can never change a tap.
bool append_float(TextSpan& span, float value)
{
    char text[48] = "0.0f";
    const double magnitude = std::fabs(static_cast<double>(value));
    bool found = magnitude == 0;
    const int exponent = found ? 0 : static_cast<int>(std::floor(std::log10(magnitude)));
    for (int precision = 1; !found && precision <= 9; ++precision) {
        const double scaled = magnitude * std::pow(10.0, precision - 1 - exponent);
        const auto nearest = static_cast<std::int64_t>(std::llround(scaled));
        // At 9 figures the nearest decimal always reads back; the one found
        // may be a step from it.
        for (const std::int64_t step : {0, -1, 1}) {
            const std::int64_t digits = nearest + (precision == 9 ? step : 0);
            const std::int64_t power = static_cast<std::int64_t>(std::llround(std::pow(10.0, precision)));
            // A carry into another figure (9.99.. to 10.0) moves the exponent.
            const bool carried = digits >= power;
            write_float(text, std::signbit(value), carried ? digits / 10 : digits, precision,
                        carried ? exponent + 1 : exponent);
            found = std::strtof(text, nullptr) == value;
            if (found || precision < 9) {
                break;
            }
        }
    }
    return append_text(span, std::signbit(value) && magnitude == 0 ? "-0.0f" : text);
}

// The entry of a tap as the target's table holds it.
bool append_tap(TextSpan& span, Target target, double tap)
{
    switch (target_type(target)) {
    case TargetType::Q31:
        return append_decimal(span, static_cast<std::int32_t>(tap * Q31));
    case TargetType::F32:
        return append_float(span, static_cast<float>(tap));
    default:
        return append_decimal(span, static_cast<std::int32_t>(tap * Q15));
    }
}

bool is_letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void write_file_name(Target target, const char* name, const char* extension, char* file)
{
    TextSpan span{file, MAX_CMSIS_FILE_NAME, 0};
    file[0] = '\0';
    if (!append_named(span, "$_@", target, name) || !append_text(span, extension)) {
        file[0] = '\0';
    }
}

}  // namespace

bool is_filter_name(const char* name, std::size_t length, TextSpan& message)
{
    bool valid = length >= 1 && length <= MAX_FILTER_NAME && is_letter(name[0]);
    for (std::size_t i = 0; valid && i < length; ++i) {
        valid = is_letter(name[i]) || (name[i] >= '0' && name[i] <= '9') || name[i] == '_';
    }
    if (!valid) {
        append_literal(message, "filter name: enter a C identifier of 1 to ");
        append_decimal(message, MAX_FILTER_NAME);
        append_literal(message, " letters, digits and underscores that starts with a letter");
    }
    return valid;
}

void cmsis_file_name(Target target, const char* name, char* file)
{
    write_file_name(target, name, ".c", file);
}

void cmsis_header_name(Target target, const char* name, char* file)
{
    write_file_name(target, name, ".h", file);
}

int cmsis_tap_count(Target target, int count)
{
    if (target_type(target) != TargetType::Q15) {
        return count;
    }
    const int even = count + count % 2;
    return even < 4 ? 4 : even;
}

int cmsis_coefficient_entries(Target target, int count)
{
    const int vector = file_of(target).vector;
    return (cmsis_tap_count(target, count) + vector - 1) / vector * vector;
}

int vector_block_size(Target target, int count, int block_size)
{
    const int taps = cmsis_tap_count(target, count);
    const bool wrong = target_type(target) == TargetType::Q15
        ? taps >= Q15_BLOCK_RULE_TAPS && block_size % 4 >= 2
        : target_type(target) == TargetType::Q31 && taps >= Q31_BLOCK_RULE_TAPS[0] && taps <= Q31_BLOCK_RULE_TAPS[1]
              && block_size >= Q31_BLOCK_RULE_SIZE && block_size % 4 != 0;
    return wrong ? (block_size + 3) / 4 * 4 : 0;
}

bool append_block_advice(TextSpan& text, Target target, int count, int block_size, const char* line_break)
{
    const int advised = vector_block_size(target, count, block_size);
    if (advised != 0 && target_type(target) == TargetType::Q15) {
        return append_literal(text, "On a vector (Helium) build, arm_fir_q15 with more than 32 taps gives wrong")
               && append_text(text, line_break)
               && append_literal(text, "output at block sizes 4k + 2 and 4k + 3: use ") && append_decimal(text, advised)
               && append_literal(text, ", a multiple of 4, there.");
    }
    if (advised != 0) {
        return append_literal(text, "On a vector (Helium) build, arm_fir_q31 with 29 to 32 taps gives wrong output")
               && append_text(text, line_break)
               && append_literal(text, "at block sizes of 33 and more that are not multiples of 4: use ")
               && append_decimal(text, advised) && append_literal(text, " there.");
    }
    if (target_type(target) == TargetType::F32 && count <= F32_INPUT_READ_TAPS) {
        return append_literal(text, "On a vector (Helium) build, arm_fir_f32 with 2 to 4 taps reads up to 3 samples")
               && append_text(text, line_break)
               && append_literal(text, "past the input block: give the input array 3 more entries than the block.");
    }
    return true;
}

// `text` is written through the span (clang-tidy cannot see that).
std::size_t format_cmsis_file(Target target, const TapFractions& taps, int count, const char* name,
                              char* text,  // NOLINT(readability-non-const-parameter)
                              std::size_t capacity)
{
    const TypeFile& file = file_of(target);
    const int taps_used = cmsis_tap_count(target, count);
    const int entries = cmsis_coefficient_entries(target, count);
    TextSpan span{text, capacity, 0};
    bool fits = append_named(span, "/* $_@.c: the designed filter for CMSIS-DSP's arm_fir_@, which $_@.h\n"
                                   " * declares, with the calls that run it.\n *\n", target, name)
                && append_text(span, TAPS_ARE[static_cast<int>(target)])
                && append_named(span, " * They are in the time-reversed order arm_fir_init_@ expects (the\n"
                                      " * table is symmetric, so only the padding shows it).\n", target, name);
    if (target_type(target) == TargetType::Q15) {
        fits = fits && append_literal(span, " * The ") && append_decimal(span, count)
               && append_literal(span, " designed taps are preceded by ") && append_decimal(span, taps_used - count)
               && (taps_used - count == 1 ? append_literal(span, " zero tap") : append_literal(span, " zero taps"))
               && append_literal(span, ", in the oldest places,\n * where they add no delay, so that the count is"
                                       " even and at least 4, as\n * arm_fir_init_q15 needs.\n");
    }
    fits = fits && append_named(span, " * The array holds ^_COEFFICIENT_ENTRIES, zeros past ^_NUM_TAPS, a\n"
                                      " * multiple of ", target, name)
           && append_decimal(span, file.vector) && append_literal(span, ": the vector (Helium) build reads it ")
           && append_decimal(span, file.vector)
           && append_literal(span, " at a time. The state\n * is sized for every build, the vector one included,"
                                   " which uses more\n * than its documentation says.\n */\n")
           && append_named(span, "#include \"$_@.h\"\n\nconst ", target, name) && append_text(span, file.type)
           && append_named(span, " $_coefficients_@[^_COEFFICIENT_ENTRIES] = {\n", target, name);
    // pCoeffs[k] multiplies the sample k places older than the oldest of the
    // design's own: q15's added zero taps first, then the table from its last
    // tap back; past the taps, the vector build's padding, all zeros.
    const int added = taps_used - count;
    for (int k = 0; fits && k < entries; ++k) {
        const double tap = k < added || k >= taps_used ? 0.0 : taps[count - 1 - (k - added)];
        fits = append_literal(span, "    ") && append_tap(span, target, tap)
               && (k == entries - 1 ? append_literal(span, "\n};\n") : append_literal(span, ",\n"));
    }
    fits = fits && append_literal(span, "\n") && append_text(span, file.type)
           && append_named(span, " $_state_@[^_STATE_SIZE];\n", target, name);
    return fits ? span.length : 0;
}

std::size_t format_cmsis_header(Target target, int count, int block_size, const char* name,
                                char* text,  // NOLINT(readability-non-const-parameter)
                                std::size_t capacity)
{
    const TypeFile& file = file_of(target);
    TextSpan span{text, capacity, 0};
    bool fits = append_named(span, "/* $_@.h: the designed filter for CMSIS-DSP's arm_fir_@, its table and\n"
                                   " * state defined in $_@.c. Set it up once, then filter ^_BLOCK_SIZE\n"
                                   " * samples a call:\n"
                                   " *\n"
                                   " *     arm_fir_instance_@ $;\n"
                                   " *     arm_fir_init_@(&$, ^_NUM_TAPS, $_coefficients_@,\n"
                                   " *                      $_state_@, ^_BLOCK_SIZE);\n"
                                   " *     arm_fir_@(&$, input, output, ^_BLOCK_SIZE);\n", target, name);
    if (target_type(target) == TargetType::F32) {
        fits = fits && append_named(span, " *\n * A state outside zero-initialised memory (a local, the heap, a"
                                          " no-init\n * section) must be cleared whole before arm_fir_init_f32:"
                                          " it clears\n * ^_NUM_TAPS + 2 * ^_BLOCK_SIZE - 1 entries, and the"
                                          " vector build reads\n * further, where a NaN or an infinity turns"
                                          " outputs into NaN.\n", target, name);
    }
    char advice[512] = "";
    TextSpan advice_text{advice, sizeof advice, 0};
    if (fits && append_block_advice(advice_text, target, count, block_size, "\n * ") && advice_text.length > 0) {
        fits = append_literal(span, " *\n * ") && append_text(span, advice) && append_literal(span, "\n");
    }
    fits = fits && append_literal(span, " */\n#ifndef ") && append_named(span, "^_", target, name)
           && append_text(span, file.upper) && append_literal(span, "_H\n#define ")
           && append_named(span, "^_", target, name) && append_text(span, file.upper)
           && append_named(span, "_H\n\n#include \"arm_math.h\"\n\n#define ^_NUM_TAPS ", target, name)
           && append_decimal(span, cmsis_tap_count(target, count))
           && append_named(span, "\n#define ^_COEFFICIENT_ENTRIES ", target, name)
           && append_decimal(span, cmsis_coefficient_entries(target, count))
           && append_named(span, "\n#define ^_BLOCK_SIZE ", target, name) && append_decimal(span, block_size)
           && append_literal(span, "\n")
           // q15: numTaps + max(blockSize, 8 ceil(blockSize / 4) - 1), what
           // the vector build writes, and never less than the others need.
           && (target_type(target) != TargetType::Q15
               || append_named(span, "#define ^_VECTOR_STATE (8 * ((^_BLOCK_SIZE + 3) / 4) - 1)\n", target, name))
           && append_named(span, "#define ^_STATE_SIZE ", target, name)
           && append_named(span, file.state_size, target, name)
           && append_literal(span, "\n\n#ifdef __cplusplus\nextern \"C\" {\n#endif\nextern const ")
           && append_text(span, file.type)
           && append_named(span, " $_coefficients_@[^_COEFFICIENT_ENTRIES];\nextern ", target, name)
           && append_text(span, file.type)
           && append_named(span, " $_state_@[^_STATE_SIZE];\n#ifdef __cplusplus\n}\n#endif\n\n#endif\n", target,
                           name);
    return fits ? span.length : 0;
}
