// From the design to the firmware: the table's fixed-point facts and the
// drop-in file for arm_fir_q15, both computed by the module from the
// written integers.
"use strict";

function showFixedPointFacts(facts, sampleRate) {
  const text = (id, value) => { document.getElementById(id).textContent = value; };
  // A gain a hair below 1 rounds to 0.00 dB, not "-0.00".
  const db = (gain) => gain === 0 ? "\u2212\u221e dB"
    : `${(20 * Math.log10(Math.abs(gain))).toFixed(2).replace(/^-(0\.0+)$/, "$1")} dB`;
  text("worst-case-gain", `${facts.worstCaseGain.toFixed(4)} (the sum of the taps' magnitudes / 32768)`);
  text("full-scale", facts.overloadDb > 0
    ? `a full-scale input can drive the output ${facts.overloadDb.toFixed(2)} dB past full scale, where it saturates`
    : "no 16-bit input can drive the output past full scale");
  text("accumulator-bits", `${facts.accumulatorBits} bits for the worst sum of products; `
    + (facts.fastSumCanOverflow
      ? "a 32-bit accumulator (arm_fir_fast_q15, many DSP multiply-accumulate units) can overflow on "
        + "full-scale input, and wraps around: use arm_fir_q15 or scale the input down"
      : "a 32-bit accumulator (arm_fir_fast_q15) cannot overflow"));
  text("gain-at-zero", `${facts.gainAtZero.toFixed(5)} (${db(facts.gainAtZero)})`);
  text("gain-at-half-rate", `${facts.gainAtHalfRate.toFixed(5)} (${db(facts.gainAtHalfRate)})`);
  text("delay", `${facts.delaySamples} sample${facts.delaySamples === 1 ? "" : "s"}, ${(1000 * facts.delaySamples / sampleRate).toPrecision(4)} ms`);
}

// The drop-in file, or why there is none.
function showCmsisText(text, facts) {
  showTextInBlocks(document.getElementById("cmsis-text"), text !== "" ? text
    : facts && !facts.fitsQ15 ? "A tap lies outside the 16-bit range, so the table cannot be a q15_t array."
    : "");
  document.getElementById("download-cmsis").disabled = text === "";
}

function downloadCmsisFile() {
  downloadText(document.getElementById("cmsis-text").textContent, "filter_coefficients_q15.c");
}
