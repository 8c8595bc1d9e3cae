#include "web/cmsis_file.h"

#include <cmath>
#include <cstdlib>

#include "core/fixed_point.h"

namespace {

// What the file says and declares for each target, in the order of Target.
struct TargetFile {
    const char* name;         // the file's name
    const char* type;         // the library's type of a tap and a sample
    int vector;               // entries the vector build reads at a time
    const char* taps_are;     // what the table holds, for the comment
    const char* state_size;   // entries of the state, every build's need
};
constexpr TargetFile TARGET_FILES[TARGET_COUNT] = {
    {"filter_coefficients_q15.c", "q15_t", 8,
     " * The taps are the 16-bit integers of filter_coefficients.c, in the\n"
     " * time-reversed order arm_fir_init_q15 expects (the table is symmetric, so\n"
     " * only the padding shows it).\n",
     "FIR_NUM_TAPS + (FIR_BLOCK_SIZE > FIR_VECTOR_STATE ? FIR_BLOCK_SIZE : FIR_VECTOR_STATE)"},
    {"filter_coefficients_q31.c", "q31_t", 4,
     " * The taps are the design's taps times 2^31, rounded to nearest and\n"
     " * saturated to the int32 range (not the 16-bit integers of\n"
     " * filter_coefficients.c), in the time-reversed order arm_fir_init_q31\n"
     " * expects (the table is symmetric, so only the padding shows it).\n",
     "FIR_NUM_TAPS + 12 * ((FIR_BLOCK_SIZE + 3) / 4) - 1"},
    {"filter_coefficients_f32.c", "float32_t", 4,
     " * The taps are the design's taps rounded to float (not the 16-bit integers\n"
     " * of filter_coefficients.c), in the time-reversed order arm_fir_init_f32\n"
     " * expects (the table is symmetric, so only the padding shows it).\n",
     "FIR_NUM_TAPS + FIR_BLOCK_SIZE + 4 * ((FIR_BLOCK_SIZE + 3) / 4) - 1"},
};

const TargetFile& file_of(Target target)
{
    return TARGET_FILES[static_cast<int>(target)];
}

// Appends `text` with every '@' replaced by the target's name.
bool append_named(TextSpan& span, const char* text, const char* name)
{
    bool fits = true;
    for (const char* at = text; fits && *at != '\0'; ++at) {
        fits = *at == '@' ? append_text(span, name) : append_bytes(span, at, 1);
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
    switch (target) {
    case Target::Q31:
        return append_decimal(span, static_cast<std::int32_t>(tap * Q31));
    case Target::F32:
        return append_float(span, static_cast<float>(tap));
    default:
        return append_decimal(span, static_cast<std::int32_t>(tap * Q15));
    }
}

}  // namespace

const char* cmsis_file_name(Target target)
{
    return file_of(target).name;
}

int cmsis_tap_count(Target target, int count)
{
    if (target != Target::Q15) {
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

int helium_block_size(Target target, int count, int block_size)
{
    const bool wrong = target == Target::Q15 && cmsis_tap_count(target, count) > HELIUM_BLOCK_RULE_TAPS
                       && block_size % 4 >= 2;
    return wrong ? (block_size + 3) / 4 * 4 : 0;
}

bool append_block_advice(TextSpan& text, Target target, int count, int block_size, const char* line_break)
{
    const int advised = helium_block_size(target, count, block_size);
    return advised == 0
           || (append_literal(text, "On a vector (Helium) build, arm_fir_q15 with more than 32 taps gives wrong")
               && append_text(text, line_break)
               && append_literal(text, "output at block sizes 4k + 2 and 4k + 3: use ")
               && append_decimal(text, advised) && append_literal(text, ", a multiple of 4, there."));
}

// `text` is written through the span (clang-tidy cannot see that).
std::size_t format_cmsis_file(Target target, const TapFractions& taps, int count, int block_size,
                              char* text,  // NOLINT(readability-non-const-parameter)
                              std::size_t capacity)
{
    const TargetFile& file = file_of(target);
    const char* const name = target_name(target);
    const int taps_used = cmsis_tap_count(target, count);
    const int entries = cmsis_coefficient_entries(target, count);
    TextSpan span{text, capacity, 0};
    bool fits = append_named(span, "/* filter_coefficients_@.c: the designed filter for CMSIS-DSP's arm_fir_@.\n"
                                   " * Set it up once, then filter FIR_BLOCK_SIZE samples a call:\n"
                                   " *\n"
                                   " *     arm_fir_instance_@ fir;\n"
                                   " *     arm_fir_init_@(&fir, FIR_NUM_TAPS, fir_coefficients_@, fir_state_@,\n"
                                   " *                      FIR_BLOCK_SIZE);\n"
                                   " *     arm_fir_@(&fir, input, output, FIR_BLOCK_SIZE);\n"
                                   " *\n", name)
                && append_text(span, file.taps_are);
    if (target == Target::Q15) {
        fits = fits && append_literal(span, " * The ") && append_decimal(span, count)
               && append_literal(span, " designed taps are preceded by ") && append_decimal(span, taps_used - count)
               && (taps_used - count == 1 ? append_literal(span, " zero tap") : append_literal(span, " zero taps"))
               && append_literal(span, ", in the oldest places,\n * where they add no delay, so that the count is"
                                       " even and at least 4, as\n * arm_fir_init_q15 needs.\n");
    }
    fits = fits && append_literal(span, " * The array holds FIR_COEFFICIENT_ENTRIES, zeros past FIR_NUM_TAPS, a\n"
                                        " * multiple of ")
           && append_decimal(span, file.vector) && append_literal(span, ": the vector (Helium) build reads it ")
           && append_decimal(span, file.vector)
           && append_literal(span, " at a time. The state\n * is sized for every build, the vector one included,"
                                   " which writes more\n * than its documentation says.\n");
    if (helium_block_size(target, count, block_size) != 0) {
        fits = fits && append_literal(span, " *\n * ") && append_block_advice(span, target, count, block_size, "\n * ")
               && append_literal(span, "\n");
    }
    fits = fits && append_literal(span, " */\n#include \"arm_math.h\"\n\n#define FIR_NUM_TAPS ")
           && append_decimal(span, taps_used) && append_literal(span, "\n#define FIR_COEFFICIENT_ENTRIES ")
           && append_decimal(span, entries) && append_literal(span, "\n#define FIR_BLOCK_SIZE ")
           && append_decimal(span, block_size) && append_literal(span, "\n\nconst ") && append_text(span, file.type)
           && append_named(span, " fir_coefficients_@[FIR_COEFFICIENT_ENTRIES] = {\n", name);
    // pCoeffs[k] multiplies the sample k places older than the oldest of the
    // design's own: q15's added zero taps first, then the table from its last
    // tap back; past FIR_NUM_TAPS, the vector build's padding, all zeros.
    const int added = taps_used - count;
    for (int k = 0; fits && k < entries; ++k) {
        const double tap = k < added || k >= taps_used ? 0.0 : taps[count - 1 - (k - added)];
        fits = append_literal(span, "    ") && append_tap(span, target, tap)
               && (k == entries - 1 ? append_literal(span, "\n};\n") : append_literal(span, ",\n"));
    }
    // q15: numTaps + max(blockSize, 8 ceil(blockSize / 4) - 1), what the
    // vector build writes, and never less than the others need.
    fits = fits && append_literal(span, "\n")
           && (target != Target::Q15
               || append_literal(span, "#define FIR_VECTOR_STATE (8 * ((FIR_BLOCK_SIZE + 3) / 4) - 1)\n"))
           && append_text(span, file.type) && append_named(span, " fir_state_@[", name)
           && append_text(span, file.state_size) && append_literal(span, "];\n");
    return fits ? span.length : 0;
}
