/* Runs the drop-in file's filter as firmware would: init once, then
 * FIR_BLOCK_SIZE samples a call (the last call takes what is left). Reads
 * one sample a line and writes one output a line, as
 * examples/fixed_point_filter.c does for 16 bits. Build with the drop-in
 * file, which defines the table and the state, -DFIR_NUM_TAPS and
 * -DFIR_BLOCK_SIZE as it defines them, and -DTARGET_Q31 or -DTARGET_F32 for
 * those targets' files. */
#include <stdio.h>
#include <stdlib.h>

#include "arm_math.h"

#if defined(TARGET_F32)
typedef float32_t sample_t;
#define FILTER(name) name##f32
#define SHOW(value) printf("%.9g\n", (double)(value))
#define REFUSED(init) ((init), 0)
#elif defined(TARGET_Q31)
typedef q31_t sample_t;
#define FILTER(name) name##q31
#define SHOW(value) printf("%ld\n", (long)(value))
#define REFUSED(init) ((init), 0)
#else
typedef q15_t sample_t;
#define FILTER(name) name##q15
#define SHOW(value) printf("%d\n", (value))
#define REFUSED(init) ((init) != ARM_MATH_SUCCESS)
#endif

extern const sample_t FILTER(fir_coefficients_)[];
extern sample_t FILTER(fir_state_)[];

int main(void)
{
    FILTER(arm_fir_instance_) fir;
    if (REFUSED(FILTER(arm_fir_init_)(&fir, FIR_NUM_TAPS, FILTER(fir_coefficients_), FILTER(fir_state_),
                                      FIR_BLOCK_SIZE))) {
        fputs("arm_fir_init_q15 refused the table\n", stderr);
        return 1;
    }
    sample_t input[FIR_BLOCK_SIZE];
    sample_t output[FIR_BLOCK_SIZE];
    uint32_t count = 0;
    double sample = 0;
    for (int more = 1; more;) {
        more = scanf("%lf", &sample) == 1;
        if (more) {
            input[count++] = (sample_t)sample;
        }
        if (count == FIR_BLOCK_SIZE || (!more && count > 0)) {
            FILTER(arm_fir_)(&fir, input, output, count);
            for (uint32_t i = 0; i < count; ++i) {
                SHOW(output[i]);
            }
            count = 0;
        }
    }
    return 0;
}
