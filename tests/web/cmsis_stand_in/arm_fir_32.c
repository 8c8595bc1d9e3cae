/* The reference arm_fir_q31 and arm_fir_f32 of the stand-in arm_math.h: the
 * documented arithmetic, written plainly, with the state laid out as
 * arm_fir_q15.c lays it out. Init clears the state as far as the vector
 * (Helium) build writes it, so that a smaller one shows under
 * AddressSanitizer. */
#include <string.h>

#include "arm_math.h"

#define BLOCKS_OF_4(blockSize) (((blockSize) + 3) / 4)
#define SET_UP(S, numTaps, pCoeffs, pState, entries) \
    ((S)->numTaps = (numTaps), (S)->pCoeffs = (pCoeffs), (S)->pState = (pState), \
     memset((pState), 0, (entries) * sizeof *(pState)))

void arm_fir_init_q31(arm_fir_instance_q31 *S, uint16_t numTaps, const q31_t *pCoeffs, q31_t *pState,
                      uint32_t blockSize)
{
    SET_UP(S, numTaps, pCoeffs, pState, numTaps + 12 * BLOCKS_OF_4(blockSize) - 1);
}

void arm_fir_init_f32(arm_fir_instance_f32 *S, uint16_t numTaps, const float32_t *pCoeffs, float32_t *pState,
                      uint32_t blockSize)
{
    SET_UP(S, numTaps, pCoeffs, pState, numTaps + blockSize + 4 * BLOCKS_OF_4(blockSize) - 1);
}

void arm_fir_q31(const arm_fir_instance_q31 *S, const q31_t *pSrc, q31_t *pDst, uint32_t blockSize)
{
    const uint32_t taps = S->numTaps;
    memcpy(S->pState + taps - 1, pSrc, blockSize * sizeof(q31_t));
    for (uint32_t n = 0; n < blockSize; ++n) {
        uint64_t acc = 0;  /* unsigned: a sum past the range wraps, as the hardware's does */
        for (uint32_t k = 0; k < taps; ++k) {
            acc += (uint64_t)((int64_t)S->pCoeffs[k] * S->pState[n + k]);
        }
        pDst[n] = (q31_t)(uint32_t)(uint64_t)((int64_t)acc >> 31);
    }
    memmove(S->pState, S->pState + blockSize, (taps - 1) * sizeof(q31_t));
}

void arm_fir_f32(const arm_fir_instance_f32 *S, const float32_t *pSrc, float32_t *pDst, uint32_t blockSize)
{
    const uint32_t taps = S->numTaps;
    /* Touches what the vector build reads besides: 4 - numTaps % 4 state
     * entries past what it writes, and for 2 to 4 taps 3 samples past the
     * input block, so that a smaller array shows under AddressSanitizer. */
    volatile float32_t read_past = S->pState[taps + blockSize + 4 * BLOCKS_OF_4(blockSize) - 2 + (4 - taps % 4) % 4];
    if (taps <= 4) {
        read_past = pSrc[blockSize + 2];
    }
    (void)read_past;
    memcpy(S->pState + taps - 1, pSrc, blockSize * sizeof(float32_t));
    for (uint32_t n = 0; n < blockSize; ++n) {
        float32_t acc = 0.0f;
        for (uint32_t k = 0; k < taps; ++k) {
            acc += S->pCoeffs[k] * S->pState[n + k];
        }
        pDst[n] = acc;
    }
    memmove(S->pState, S->pState + blockSize, (taps - 1) * sizeof(float32_t));
}
