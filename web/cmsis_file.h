// The design as a drop-in C file and its header for CMSIS-DSP's
// arm_fir_q15, arm_fir_q31 or arm_fir_f32, right for every build of the
// library: the target's table in the order arm_fir_init_* expects, the
// array padded with zeros to the vector (Helium) build's multiple (8 entries
// for q15, 4 for the others), its state array sized for every entry any
// build writes or reads, and a comment with the calls that run it. Every
// name the two files declare starts with the filter's name, so that several
// filters can share a program; the header declares them with external
// linkage for C and C++ alike. arm_fir_q15 also needs an even count of at
// least 4 taps: zero taps are added where they add no delay.
#ifndef FIR_DESIGN_CMSIS_FILE_H
#define FIR_DESIGN_CMSIS_FILE_H

#include <cstddef>

#include "core/text_span.h"
#include "web/target_table.h"

// The longest filter name, in characters.
constexpr int MAX_FILTER_NAME = 32;
// The name the files use until another is given: the declarations are then
// fir_coefficients_q15, fir_state_q15, FIR_NUM_TAPS and so on.
constexpr const char* DEFAULT_FILTER_NAME = "fir";

// Room for the comment, the declarations and MAX_COEFFICIENTS + 9 entries
// of at most 16 characters ("-1.23456789e-05f"), 4 spaces and ",\n" each.
constexpr std::size_t MAX_CMSIS_TEXT = 4096 + (MAX_COEFFICIENTS + 9) * 22;
constexpr std::size_t MAX_CMSIS_HEADER = 4096;
// "<name>_q15.c" and its closing '\0'.
constexpr std::size_t MAX_CMSIS_FILE_NAME = MAX_FILTER_NAME + 7;

// Block sizes the file accepts: samples a call to the filter takes.
constexpr int MIN_BLOCK_SIZE = 1;
constexpr int MAX_BLOCK_SIZE = 65536;

// Whether `name` (`length` bytes) can name a filter: a C identifier of 1 to
// MAX_FILTER_NAME letters, digits and underscores that starts with a letter
// (a leading underscore is the C library's). Where it cannot, appends to
// `message` what is accepted.
bool is_filter_name(const char* name, std::size_t length, TextSpan& message);

// The files' names for the filter `name`: "<name>_q15.c" and "<name>_q15.h"
// (or _q31, _f32), into `file` (MAX_CMSIS_FILE_NAME bytes).
void cmsis_file_name(Target target, const char* name, char* file);
void cmsis_header_name(Target target, const char* name, char* file);

// The taps the filter gets for a design of `count` taps: for arm_fir_q15
// `count` made even and at least 4, for the others `count` itself.
int cmsis_tap_count(Target target, int count);

// The entries of the coefficient array for a design of `count` taps:
// cmsis_tap_count rounded up to a multiple of 8 (q15) or 4 (q31, f32).
int cmsis_coefficient_entries(Target target, int count);

// Where the vector (Helium) build gives wrong output at this block size, the
// multiple of 4 to use instead, else 0: arm_fir_q15 with more than 32 taps
// at block sizes 4k + 2 and 4k + 3; arm_fir_q31 with 29 to 32 taps at block
// sizes of 33 and more that are not multiples of 4.
int vector_block_size(Target target, int count, int block_size);

// Appends what the vector build needs of the calls, if anything, its lines
// joined by `line_break`: the block size vector_block_size advises, or, for
// arm_fir_f32 with 2 to 4 taps, room to read 3 samples past the input
// block. Appends nothing elsewhere. False when it does not fit.
bool append_block_advice(TextSpan& text, Target target, int count, int block_size, const char* line_break);

// Writes the file for the table `target` holds, taps[0 .. count - 1]
// (target_fractions; 16-bit values for the q15 tables), under the filter
// name `name`, into text[0 .. capacity - 1], closed by '\0'. Returns its
// length, or 0 when it does not fit.
std::size_t format_cmsis_file(Target target, const TapFractions& taps, int count, const char* name, char* text,
                              std::size_t capacity);

// Writes the file's header, as above: the macros (the block size among
// them), the declarations, the calls and what the vector build needs of them.
std::size_t format_cmsis_header(Target target, int count, int block_size, const char* name, char* text,
                                std::size_t capacity);

#endif
