/* A stand-in for the part of CMSIS-DSP's arm_math.h that the page's drop-in
 * file uses, so that the file can be compiled and run in the tests. Written
 * from the library's documented interface and arithmetic, not its sources. */
#ifndef ARM_MATH_H
#define ARM_MATH_H

#include <stdint.h>

typedef int16_t q15_t;
typedef int32_t q31_t;
typedef float float32_t;

typedef enum { ARM_MATH_SUCCESS = 0, ARM_MATH_ARGUMENT_ERROR = -1 } arm_status;

/* The instance of each filter: its taps, its state and its table. */
#define ARM_FIR_INSTANCE(type) struct { uint16_t numTaps; type *pState; const type *pCoeffs; }
typedef ARM_FIR_INSTANCE(q15_t) arm_fir_instance_q15;
typedef ARM_FIR_INSTANCE(q31_t) arm_fir_instance_q31;
typedef ARM_FIR_INSTANCE(float32_t) arm_fir_instance_f32;

/* Refuses an odd numTaps or one below 4; clears numTaps + blockSize state. */
arm_status arm_fir_init_q15(arm_fir_instance_q15 *S, uint16_t numTaps, const q15_t *pCoeffs, q15_t *pState,
                            uint32_t blockSize);

/* pCoeffs[0] multiplies the oldest of the last numTaps samples; products
 * summed in 64 bits, shifted right by 15 and saturated to 16 bits. */
void arm_fir_q15(const arm_fir_instance_q15 *S, const q15_t *pSrc, q15_t *pDst, uint32_t blockSize);

/* Any numTaps. */
void arm_fir_init_q31(arm_fir_instance_q31 *S, uint16_t numTaps, const q31_t *pCoeffs, q31_t *pState,
                      uint32_t blockSize);
void arm_fir_init_f32(arm_fir_instance_f32 *S, uint16_t numTaps, const float32_t *pCoeffs, float32_t *pState,
                      uint32_t blockSize);

/* Products 2.62 summed in 64 bits, wrapping; shifted right by 31, and the
 * output wraps to 32 bits (it is not saturated). */
void arm_fir_q31(const arm_fir_instance_q31 *S, const q31_t *pSrc, q31_t *pDst, uint32_t blockSize);

/* Single-precision products summed oldest first. */
void arm_fir_f32(const arm_fir_instance_f32 *S, const float32_t *pSrc, float32_t *pDst, uint32_t blockSize);

#endif
