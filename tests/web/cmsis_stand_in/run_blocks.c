/* Runs the drop-in file's filter as firmware would: init once, then
 * FIR_BLOCK_SIZE samples a call (the last call takes what is left). Reads
 * one 16-bit sample a line and writes one output a line, as
 * examples/fixed_point_filter.c does. Build with the drop-in file, which
 * defines the table and the state, and -DFIR_NUM_TAPS/-DFIR_BLOCK_SIZE as it
 * defines them. */
#include <stdio.h>
#include <stdlib.h>

#include "arm_math.h"

extern const q15_t fir_coefficients_q15[];
extern q15_t fir_state_q15[];

int main(void)
{
    arm_fir_instance_q15 fir;
    if (arm_fir_init_q15(&fir, FIR_NUM_TAPS, fir_coefficients_q15, fir_state_q15, FIR_BLOCK_SIZE) != ARM_MATH_SUCCESS) {
        fputs("arm_fir_init_q15 refused the table\n", stderr);
        return 1;
    }
    q15_t input[FIR_BLOCK_SIZE];
    q15_t output[FIR_BLOCK_SIZE];
    uint32_t count = 0;
    long sample = 0;
    for (int more = 1; more;) {
        more = scanf("%ld", &sample) == 1;
        if (more) {
            input[count++] = (q15_t)sample;
        }
        if (count == FIR_BLOCK_SIZE || (!more && count > 0)) {
            arm_fir_q15(&fir, input, output, count);
            for (uint32_t i = 0; i < count; ++i) {
                printf("%d\n", output[i]);
            }
            count = 0;
        }
    }
    return 0;
}
