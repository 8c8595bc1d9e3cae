// The design as a drop-in C file for CMSIS-DSP's arm_fir_q15, right for
// every build of the library: a q15_t table in the order arm_fir_init_q15
// expects, padded to an even count of at least 4 with zero taps where they
// add no delay, the array itself padded with zeros to a multiple of 8 for
// the vector (Helium) build, its state array and block size, and a comment
// with the calls that run it.
#ifndef FIR_DESIGN_CMSIS_FILE_H
#define FIR_DESIGN_CMSIS_FILE_H

#include <cstddef>

#include "core/filter_design_record.h"

// The name the page gives the file.
constexpr const char* CMSIS_FILE_NAME = "filter_coefficients_q15.c";

// Room for the comment, the declarations and MAX_COEFFICIENTS + 9 entries
// of at most 6 characters, 4 spaces and ",\n" each.
constexpr std::size_t MAX_CMSIS_TEXT = 2048 + (MAX_COEFFICIENTS + 9) * 12;

// Beyond this many taps the vector (Helium) arm_fir_q15 gives wrong output
// at block sizes 4k + 2 and 4k + 3.
constexpr int HELIUM_BLOCK_RULE_TAPS = 32;

// Block sizes the file accepts: samples a call to arm_fir_q15 filters.
constexpr int MIN_BLOCK_SIZE = 1;
constexpr int MAX_BLOCK_SIZE = 65536;

// The taps arm_fir_q15 gets for a design of `count` taps: `count` made even
// and at least 4.
int cmsis_tap_count(int count);

// The entries of the coefficient array for a design of `count` taps:
// cmsis_tap_count(count) rounded up to a multiple of 8.
int cmsis_coefficient_entries(int count);

// Writes the file for coefficients[0 .. count - 1] (each a 16-bit value) and
// `block_size` into text[0 .. capacity - 1], closed by '\0'. Returns its
// length, or 0 when it does not fit.
std::size_t format_cmsis_file(const Coefficients& coefficients, int count, int block_size, char* text,
                              std::size_t capacity);

#endif
