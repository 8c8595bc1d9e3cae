/* A stand-in for the part of CMSIS-DSP's arm_math.h that the page's drop-in
 * file uses, so that the file can be compiled and run in the tests. Written
 * from the library's documented interface and arithmetic, not its sources. */
#ifndef ARM_MATH_H
#define ARM_MATH_H

#include <stdint.h>

typedef int16_t q15_t;

typedef enum { ARM_MATH_SUCCESS = 0, ARM_MATH_ARGUMENT_ERROR = -1 } arm_status;

typedef struct {
    uint16_t numTaps;
    q15_t *pState;
    const q15_t *pCoeffs;
} arm_fir_instance_q15;

/* Refuses an odd numTaps or one below 4; clears numTaps + blockSize state. */
arm_status arm_fir_init_q15(arm_fir_instance_q15 *S, uint16_t numTaps, const q15_t *pCoeffs, q15_t *pState,
                            uint32_t blockSize);

/* pCoeffs[0] multiplies the oldest of the last numTaps samples; products
 * summed in 64 bits, shifted right by 15 and saturated to 16 bits. */
void arm_fir_q15(const arm_fir_instance_q15 *S, const q15_t *pSrc, q15_t *pDst, uint32_t blockSize);

#endif
