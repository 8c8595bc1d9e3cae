/* The reference arm_fir_q15 of the stand-in arm_math.h: the documented
 * arithmetic, written plainly. The state holds the last numTaps - 1 samples,
 * oldest first, and then the block being filtered. */
#include <string.h>

#include "arm_math.h"

arm_status arm_fir_init_q15(arm_fir_instance_q15 *S, uint16_t numTaps, const q15_t *pCoeffs, q15_t *pState,
                            uint32_t blockSize)
{
    if (numTaps < 4 || numTaps % 2 != 0) {
        return ARM_MATH_ARGUMENT_ERROR;
    }
    S->numTaps = numTaps;
    S->pCoeffs = pCoeffs;
    S->pState = pState;
    memset(pState, 0, (numTaps + blockSize) * sizeof(q15_t));
    return ARM_MATH_SUCCESS;
}

static q15_t saturated_shift_15(int64_t acc)
{
    const int64_t scale = 32768;
    const int64_t shifted = acc >= 0 ? acc / scale : -((-acc + scale - 1) / scale);  /* toward minus infinity */
    return (q15_t)(shifted > INT16_MAX ? INT16_MAX : shifted < INT16_MIN ? INT16_MIN : shifted);
}

void arm_fir_q15(const arm_fir_instance_q15 *S, const q15_t *pSrc, q15_t *pDst, uint32_t blockSize)
{
    const uint32_t taps = S->numTaps;
    memcpy(S->pState + taps - 1, pSrc, blockSize * sizeof(q15_t));
    for (uint32_t n = 0; n < blockSize; ++n) {
        int64_t acc = 0;
        for (uint32_t k = 0; k < taps; ++k) {
            acc += (int32_t)S->pCoeffs[k] * S->pState[n + k];
        }
        pDst[n] = saturated_shift_15(acc);
    }
    memmove(S->pState, S->pState + blockSize, (taps - 1) * sizeof(q15_t));
}
