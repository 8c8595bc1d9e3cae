// From the design to the firmware: the chosen table's fixed-point facts and
// its drop-in file for CMSIS-DSP, both computed by the module from the
// numbers the target holds.
"use strict";

// What a full-scale input does to each target's output and its sum of
// products, in words; `facts` as the module gives them.
const OUTPUT_FACTS = {
  q15: (facts) => facts.overloadDb > 0
    ? `a full-scale input can drive the output ${facts.overloadDb.toFixed(2)} dB past full scale, where it `
      + `saturates; scaling the input down by ${bits(facts.inputShift)} prevents it`
    : "no 16-bit input can drive the output past full scale",
  q31: (facts) => facts.overloadDb > 0
    ? `a full-scale input can drive the output ${facts.overloadDb.toFixed(2)} dB past full scale, where it `
      + `wraps around (arm_fir_q31 does not saturate it): scale the input down by ${bits(facts.inputShift)}`
    : "no 32-bit input can drive the output past full scale",
  f32: (facts) => facts.overloadDb > 0
    ? `a full-scale input can give outputs ${facts.overloadDb.toFixed(2)} dB past \u00b11.0; floats do not `
      + "overflow, so only a later conversion to integers can clip them"
    : `no overflow; a full-scale input (\u00b11.0) leaves ${(-facts.overloadDb).toFixed(2)} dB of headroom`,
};
const ACCUMULATOR_FACTS = {
  q15: (facts) => `${facts.accumulatorBits} bits for the worst sum of products; `
    + (facts.fastSumCanOverflow
      ? "a 32-bit accumulator (arm_fir_fast_q15, many DSP multiply-accumulate units) can overflow on "
        + "full-scale input, and wraps around: use arm_fir_q15 or scale the input down"
      : "a 32-bit accumulator (arm_fir_fast_q15) cannot overflow"),
  q31: () => "64 bits in 2.62 format, one guard bit: a sum past \u00b12 wraps around, and so does an output "
    + "past full scale; the vector (Helium) build sums in 72 bits and rounds every 4 taps, so an output may "
    + "differ from that arithmetic by 1 LSB; arm_fir_fast_q31 sums products cut to 2.30 in 32 bits, the same "
    + "range with less precision",
  f32: () => "single-precision sums: no overflow, rounding in each multiply-accumulate",
};

function bits(count) {
  return `${count} bit${count === 1 ? "" : "s"}`;
}

function showFixedPointFacts(facts, sampleRate, target) {
  const text = (id, value) => { document.getElementById(id).textContent = value; };
  const db = (gain) => gain === 0 ? "\u2212\u221e dB" : `${formatDb(20 * Math.log10(Math.abs(gain)))} dB`;
  text("worst-case-gain", `${facts.worstCaseGain.toFixed(4)} (the sum of the taps' magnitudes, as fractions)`);
  text("full-scale", OUTPUT_FACTS[target.type](facts));
  text("accumulator-bits", ACCUMULATOR_FACTS[target.type](facts));
  text("gain-at-zero", `${formatGain(facts.gainAtZero)} (${db(facts.gainAtZero)})`);
  text("gain-at-half-rate", `${formatGain(facts.gainAtHalfRate)} (${db(facts.gainAtHalfRate)})`);
  text("delay", `${facts.delaySamples} sample${facts.delaySamples === 1 ? "" : "s"}, ${(1000 * facts.delaySamples / sampleRate).toPrecision(4)} ms`);
}

// The drop-in file and its header, or why there are none, under their
// names, and what the vector build needs of the calls.
function showCmsisText(files, facts, target, advice) {
  const why = facts && !facts.fits ? "A tap lies outside the 16-bit range, so the table cannot be a q15_t array." : "";
  const show = (id, download, copy, text, name) => {
    showTextInBlocks(document.getElementById(id), text !== "" ? text : why);
    document.getElementById(id).setAttribute("aria-label", name);
    const button = document.getElementById(download);
    button.textContent = `Download ${name}`;
    button.dataset.name = name;
    button.disabled = text === "";
    document.getElementById(copy).setAttribute("aria-label", `Copy ${name}`);
    document.getElementById(copy).disabled = text === "";
  };
  show("cmsis-text", "download-cmsis", "copy-cmsis", files.text, files.name);
  show("cmsis-header", "download-cmsis-header", "copy-cmsis-header", files.header, files.headerName);
  document.getElementById("cmsis-heading").textContent =
    `${files.name} and ${files.headerName}, for CMSIS-DSP's arm_fir_${target.type}`;
  document.getElementById("block-size-advice").textContent = advice;
}

// Downloads the drop-in file or its header, as the button names it.
function downloadCmsisFile(event) {
  const button = event.currentTarget;
  const text = button.id === "download-cmsis" ? "cmsis-text" : "cmsis-header";
  downloadText(document.getElementById(text).textContent, button.dataset.name);
}
