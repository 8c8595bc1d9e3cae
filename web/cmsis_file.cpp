#include "web/cmsis_file.h"

#include "core/text_span.h"

int cmsis_tap_count(int count)
{
    const int even = count + count % 2;
    return even < 4 ? 4 : even;
}

int cmsis_coefficient_entries(int count)
{
    return (cmsis_tap_count(count) + 7) / 8 * 8;
}

// `text` is written through the span (clang-tidy cannot see that).
std::size_t format_cmsis_file(const Coefficients& coefficients, int count, int block_size,
                              char* text,  // NOLINT(readability-non-const-parameter)
                              std::size_t capacity)
{
    const int taps = cmsis_tap_count(count);
    const int entries = cmsis_coefficient_entries(count);
    TextSpan span{text, capacity, 0};
    bool fits = append_literal(span, "/* filter_coefficients_q15.c: the taps of filter_coefficients.c for CMSIS-DSP's\n"
                                     " * arm_fir_q15. Set it up once, then filter FIR_BLOCK_SIZE samples a call:\n"
                                     " *\n"
                                     " *     arm_fir_instance_q15 fir;\n"
                                     " *     arm_fir_init_q15(&fir, FIR_NUM_TAPS, fir_coefficients_q15, fir_state_q15,\n"
                                     " *                      FIR_BLOCK_SIZE);\n"
                                     " *     arm_fir_q15(&fir, input, output, FIR_BLOCK_SIZE);\n"
                                     " *\n"
                                     " * The taps are in the time-reversed order arm_fir_init_q15 expects (the\n"
                                     " * table is symmetric, so only the padding shows it). The ")
             && append_decimal(span, count)
             && append_literal(span, " designed taps are\n * preceded by ")
             && append_decimal(span, taps - count)
             && append_literal(span, " zero taps, in the oldest places, where they add no delay,\n"
                                     " * so that the count is even and at least 4, as arm_fir_init_q15 needs. The\n"
                                     " * array holds FIR_COEFFICIENT_ENTRIES, zeros past FIR_NUM_TAPS, a multiple of\n"
                                     " * 8: the vector (Helium) build reads it 8 at a time. The state is sized for\n"
                                     " * every build, the vector one included, which writes more than its\n"
                                     " * documentation says.\n")
             && (taps <= HELIUM_BLOCK_RULE_TAPS || block_size % 4 < 2
                 || (append_literal(span, " *\n * On a vector (Helium) build, arm_fir_q15 with more than 32 taps gives wrong\n"
                                          " * output at block sizes 4k + 2 and 4k + 3: use ")
                     && append_decimal(span, (block_size + 3) / 4 * 4)
                     && append_literal(span, ", a multiple of 4, there.\n")))
             && append_literal(span, " */\n"
                                     "#include \"arm_math.h\"\n\n"
                                     "#define FIR_NUM_TAPS ")
             && append_decimal(span, taps)
             && append_literal(span, "\n#define FIR_COEFFICIENT_ENTRIES ")
             && append_decimal(span, entries)
             && append_literal(span, "\n#define FIR_BLOCK_SIZE ")
             && append_decimal(span, block_size)
             && append_literal(span, "\n\nconst q15_t fir_coefficients_q15[FIR_COEFFICIENT_ENTRIES] = {\n");
    // pCoeffs[k] multiplies the sample k places older than the oldest of the
    // design's own: the padding first, then the table from its last tap back.
    // Past FIR_NUM_TAPS, the vector build's padding, all zeros.
    for (int k = 0; fits && k < entries; ++k) {
        const int tap = count - 1 - (k - (taps - count));
        fits = append_literal(span, "    ") && append_decimal(span, k < taps - count || k >= taps ? 0 : coefficients[tap])
               && (k == entries - 1 ? append_literal(span, "\n};\n") : append_literal(span, ",\n"));
    }
    // numTaps + max(blockSize, 8 ceil(blockSize / 4) - 1): what the vector
    // build writes, and never less than the others need.
    fits = fits && append_literal(span, "\n#define FIR_VECTOR_STATE (8 * ((FIR_BLOCK_SIZE + 3) / 4) - 1)\n"
                                        "q15_t fir_state_q15[FIR_NUM_TAPS + (FIR_BLOCK_SIZE > FIR_VECTOR_STATE ? "
                                        "FIR_BLOCK_SIZE : FIR_VECTOR_STATE)];\n");
    return fits ? span.length : 0;
}
