/* Runs a drop-in file's filter as firmware would: init once, then blocks of
 * the header's block size (the last call takes what is left). Reads one
 * sample a line and writes one output a line, as
 * examples/fixed_point_filter.c does for 16 bits. Build with the drop-in
 * file, -DHEADER='"<name>_<type>.h"', -DNAME=<name> -DUPPER=<NAME>, and
 * -DTARGET_Q31 or -DTARGET_F32 for those types' files. With -DSECOND and
 * the files low_pass_q15.c and high_pass_q31.c, runs those two side by side
 * instead, a sample at a time, and writes both outputs on each line. */
#include <stdio.h>
#include <stdlib.h>

#define PASTE(a, b) a##b
#define JOIN(a, b) PASTE(a, b)

#if defined(SECOND)
#include "low_pass_q15.h"
#include "high_pass_q31.h"

int main(void)
{
    arm_fir_instance_q15 low;
    arm_fir_instance_q31 high;
    if (arm_fir_init_q15(&low, LOW_PASS_NUM_TAPS, low_pass_coefficients_q15, low_pass_state_q15, 1) != ARM_MATH_SUCCESS) {
        return 1;
    }
    arm_fir_init_q31(&high, HIGH_PASS_NUM_TAPS, high_pass_coefficients_q31, high_pass_state_q31, 1);
    for (double sample = 0; scanf("%lf", &sample) == 1;) {
        const q15_t low_in = (q15_t)sample;
        const q31_t high_in = (q31_t)sample;
        q15_t low_out;
        q31_t high_out;
        arm_fir_q15(&low, &low_in, &low_out, 1);
        arm_fir_q31(&high, &high_in, &high_out, 1);
        printf("%d %ld\n", low_out, (long)high_out);
    }
    return 0;
}
#else
#include HEADER

#if defined(TARGET_F32)
typedef float32_t sample_t;
#define FILTER(name) JOIN(name, f32)
#define SHOW(value) printf("%.9g\n", (double)(value))
#define REFUSED(init) ((init), 0)
#elif defined(TARGET_Q31)
typedef q31_t sample_t;
#define FILTER(name) JOIN(name, q31)
#define SHOW(value) printf("%ld\n", (long)(value))
#define REFUSED(init) ((init), 0)
#else
typedef q15_t sample_t;
#define FILTER(name) JOIN(name, q15)
#define SHOW(value) printf("%d\n", (value))
#define REFUSED(init) ((init) != ARM_MATH_SUCCESS)
#endif
#define BLOCK_SIZE JOIN(UPPER, _BLOCK_SIZE)

int main(void)
{
    FILTER(arm_fir_instance_) fir;
    if (REFUSED(FILTER(arm_fir_init_)(&fir, JOIN(UPPER, _NUM_TAPS), FILTER(JOIN(NAME, _coefficients_)),
                                      FILTER(JOIN(NAME, _state_)), BLOCK_SIZE))) {
        fputs("arm_fir_init_q15 refused the table\n", stderr);
        return 1;
    }
    /* Room for the 3 samples past the block that the vector arm_fir_f32 reads with 2 to 4 taps. */
    sample_t input[BLOCK_SIZE + 3] = {0};
    sample_t output[BLOCK_SIZE];
    uint32_t count = 0;
    double sample = 0;
    for (int more = 1; more;) {
        more = scanf("%lf", &sample) == 1;
        if (more) {
            input[count++] = (sample_t)sample;
        }
        if (count == BLOCK_SIZE || (!more && count > 0)) {
            FILTER(arm_fir_)(&fir, input, output, count);
            for (uint32_t i = 0; i < count; ++i) {
                SHOW(output[i]);
            }
            count = 0;
        }
    }
    return 0;
}
#endif
