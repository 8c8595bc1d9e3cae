#include "web/cmsis_file.h"

#include "core/text_span.h"

int cmsis_tap_count(int count)
{
    const int even = count + count % 2;
    return even < 4 ? 4 : even;
}

// `text` is written through the span (clang-tidy cannot see that).
std::size_t format_cmsis_file(const Coefficients& coefficients, int count, int block_size,
                              char* text,  // NOLINT(readability-non-const-parameter)
                              std::size_t capacity)
{
    const int taps = cmsis_tap_count(count);
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
                                     " * state holds FIR_NUM_TAPS + FIR_BLOCK_SIZE samples, right for every build.\n"
                                     " */\n"
                                     "#include \"arm_math.h\"\n\n"
                                     "#define FIR_NUM_TAPS ")
             && append_decimal(span, taps)
             && append_literal(span, "\n#define FIR_BLOCK_SIZE ")
             && append_decimal(span, block_size)
             && append_literal(span, "\n\nconst q15_t fir_coefficients_q15[FIR_NUM_TAPS] = {\n");
    // pCoeffs[k] multiplies the sample k places older than the oldest of the
    // design's own: the padding first, then the table from its last tap back.
    for (int k = 0; fits && k < taps; ++k) {
        const int tap = count - 1 - (k - (taps - count));
        fits = append_literal(span, "    ") && append_decimal(span, k < taps - count ? 0 : coefficients[tap])
               && (k == taps - 1 ? append_literal(span, "\n};\n") : append_literal(span, ",\n"));
    }
    fits = fits && append_literal(span, "\nq15_t fir_state_q15[FIR_NUM_TAPS + FIR_BLOCK_SIZE];\n");
    return fits ? span.length : 0;
}
