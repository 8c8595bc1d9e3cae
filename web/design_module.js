// The design module: the console's own C++ compiled to WebAssembly, inlined
// in the page as base64. This wraps its exported functions for the page:
// text goes in and out through the module's memory.
"use strict";

// The module's fields, in the order of its Field enumeration.
const FIELDS = ["sample-rate", "cutoff", "lower-cutoff", "upper-cutoff", "attenuation",
                "coefficient-count", "transition-width"];
// How a field stands after update(), in the order of its FieldState.
const FIELD_STATES = ["accepted", "refused", "blank", "waiting", "unasked"];

async function loadDesignModule() {
  const bytes = Uint8Array.from(atob(DESIGN_MODULE_BASE64), (c) => c.charCodeAt(0));
  const { instance } = await WebAssembly.instantiate(bytes, {});
  const exports = instance.exports;
  exports._initialize();
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

  const bytesAt = (pointer, length) => new Uint8Array(exports.memory.buffer, pointer, length);
  const cString = (pointer) => {
    const memory = new Uint8Array(exports.memory.buffer);
    let end = pointer;
    while (memory[end] !== 0) end++;
    return decoder.decode(memory.subarray(pointer, end));
  };

  return {
    setField(field, text) {
      const encoded = encoder.encode(text).subarray(0, 256);  // the module's FIELD_CAPACITY
      bytesAt(exports.field_text(field), encoded.length).set(encoded);
      exports.set_field(field, encoded.length);
    },
    prompt: (field) => cString(exports.field_prompt(field)),
    setFilterType: (key) => exports.set_filter_type(key.charCodeAt(0)) !== 0,
    update: () => exports.update() !== 0,
    fieldState: (field) => FIELD_STATES[exports.field_state(field)],
    fieldMessage: (field) => cString(exports.field_message(field)),
    coefficientText: () => decoder.decode(bytesAt(exports.coefficient_text(), exports.coefficient_text_length())),
    // The gain in dB at evenly spaced frequencies from 0 to half the sample rate.
    responseDb: () => new Float64Array(exports.memory.buffer, exports.response_db(), exports.response_points()),
    sampleRate: () => exports.sample_rate(),
    figures: () => ({
      achievedAttenuation: exports.achieved_attenuation(),
      passLowest: exports.pass_lowest(),
      passHighest: exports.pass_highest(),
      halfGain: [exports.half_gain_frequency(0), exports.half_gain_frequency(1)],
      halfPower: [exports.half_power_frequency(0), exports.half_power_frequency(1)],
      tapsAtZero: exports.taps_at_zero(),
      kaiserEstimate: exports.kaiser_estimate(),
    }),
    bands: () => {
      const stops = [];
      for (let i = 0; i < exports.stop_band_count(); i++) {
        stops.push([exports.stop_band_low(i), exports.stop_band_high(i)]);
      }
      return { pass: [exports.pass_band_low(), exports.pass_band_high()], stops };
    },
  };
}
