// The design as a drop-in C file for CMSIS-DSP's arm_fir_q15, arm_fir_q31
// or arm_fir_f32, right for every build of the library: the target's table
// in the order arm_fir_init_* expects, the array padded with zeros to the
// vector (Helium) build's multiple (8 entries for q15, 4 for the others),
// its state array sized for every build and its block size, and a comment
// with the calls that run it. arm_fir_q15 also needs an even count of at
// least 4 taps: zero taps are added where they add no delay.
#ifndef FIR_DESIGN_CMSIS_FILE_H
#define FIR_DESIGN_CMSIS_FILE_H

#include <cstddef>

#include "core/text_span.h"
#include "web/target_table.h"

// Room for the comment, the declarations and MAX_COEFFICIENTS + 9 entries
// of at most 16 characters ("-1.23456789e-05f"), 4 spaces and ",\n" each.
constexpr std::size_t MAX_CMSIS_TEXT = 2048 + (MAX_COEFFICIENTS + 9) * 22;

// Beyond this many taps the vector (Helium) arm_fir_q15 gives wrong output
// at block sizes 4k + 2 and 4k + 3.
constexpr int HELIUM_BLOCK_RULE_TAPS = 32;

// Block sizes the file accepts: samples a call to the filter takes.
constexpr int MIN_BLOCK_SIZE = 1;
constexpr int MAX_BLOCK_SIZE = 65536;

// The file's name: "filter_coefficients_q15.c", "_q31.c" or "_f32.c".
const char* cmsis_file_name(Target target);

// The taps the filter gets for a design of `count` taps: for arm_fir_q15
// `count` made even and at least 4, for the others `count` itself.
int cmsis_tap_count(Target target, int count);

// The entries of the coefficient array for a design of `count` taps:
// cmsis_tap_count rounded up to a multiple of 8 (q15) or 4 (q31, f32).
int cmsis_coefficient_entries(Target target, int count);

// Where the vector (Helium) arm_fir_q15 with more than 32 taps gives wrong
// output at this block size (4k + 2 or 4k + 3), the multiple of 4 to use
// instead; 0 elsewhere.
int helium_block_size(Target target, int count, int block_size);

// Where helium_block_size has a block size to advise, appends why and the multiple
// of 4 to use instead, its two lines joined by `line_break`; appends nothing
// elsewhere. False when it does not fit.
bool append_block_advice(TextSpan& text, Target target, int count, int block_size, const char* line_break);

// Writes the file for the table `target` holds, taps[0 .. count - 1]
// (target_fractions; for q15 each a 16-bit value), and `block_size` into
// text[0 .. capacity - 1], closed by '\0'. Returns its length, or 0 when it
// does not fit.
std::size_t format_cmsis_file(Target target, const TapFractions& taps, int count, int block_size, char* text,
                              std::size_t capacity);

#endif
