// The design module: the console's own C++ compiled to WebAssembly, inlined
// in the page as base64. This wraps its exported functions for the page:
// text goes in and out through the module's memory.
"use strict";

// How a field stands after update(), in the order of its FieldState.
const FIELD_STATES = ["accepted", "refused", "blank", "waiting", "unasked"];

// What each target's table holds and how it comes from the design's taps,
// by the module's name for the target.
const TABLE_WORDS = {
  q15: { numbers: "16-bit integers", rounding: "truncating the taps to 16 bits" },
  "q15-rounded": { numbers: "rounded 16-bit integers", rounding: "rounding the taps to 16 bits" },
  "q15-optimized": { numbers: "optimized 16-bit integers", rounding: "16-bit integers, even optimized," },
  q31: { numbers: "32-bit integers", rounding: "rounding the taps to 32 bits" },
  f32: { numbers: "floats", rounding: "rounding the taps to floats" },
};

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

  // The fields in the module's order, each with its element's id and its
  // name in the page's link: the module holds the order.
  const fields = [];
  for (let field = 0; field < exports.field_count(); field++) {
    fields.push({ id: cString(exports.field_element(field)), linkName: cString(exports.field_link_name(field)) });
  }

  // The tables in the module's order, by their names in the link, each with
  // the type of the library's filter it is for ("q15", "q31", "f32").
  const targets = [];
  for (let target = 0; target < exports.target_count(); target++) {
    const name = cString(exports.target_name(target));
    targets.push({ name, type: name.slice(0, 3), ...TABLE_WORDS[name] });
  }

  return {
    fields,
    targets,
    // The target whose table the response, figures, facts and file show.
    setTarget: (name) => exports.set_target(targets.findIndex((target) => target.name === name)) !== 0,
    fieldIndex: (id) => fields.findIndex((field) => field.id === id),
    maxCoefficients: exports.max_coefficients(),
    // A field's text, of any length, judged by the module piece by piece.
    setField(field, text) {
      const encoded = encoder.encode(text);
      const size = exports.field_chunk_size();
      exports.clear_field(field);
      for (let at = 0; at < encoded.length; at += size) {
        const piece = encoded.subarray(at, at + size);
        bytesAt(exports.field_chunk(), piece.length).set(piece);
        exports.add_to_field(field, piece.length);
      }
    },
    // The filter-type key of a menu line, as the console reads one, or null.
    menuLineKey(line) {
      const encoded = encoder.encode(line).subarray(0, exports.field_chunk_size());
      bytesAt(exports.field_chunk(), encoded.length).set(encoded);
      const key = exports.menu_line_key(encoded.length);
      return key === 0 ? null : String.fromCharCode(key);
    },
    filterTypeRefusal: () => cString(exports.filter_type_refusal()),
    prompt: (field) => cString(exports.field_prompt(field)),
    setFilterType: (key) => exports.set_filter_type(key.charCodeAt(0)) !== 0,
    update: () => exports.update() !== 0,
    fieldState: (field) => FIELD_STATES[exports.field_state(field)],
    fieldMessage: (field) => cString(exports.field_message(field)),
    coefficientText: () => decoder.decode(bytesAt(exports.coefficient_text(), exports.coefficient_text_length())),
    coefficientFileName: () => cString(exports.coefficient_file_name()),
    roundingSaturates: () => exports.rounding_saturates() !== 0,
    // The drop-in files' filter name: true when it is a C identifier; else
    // the refusal says what is accepted.
    setFilterName(name) {
      const encoded = encoder.encode(name).subarray(0, exports.field_chunk_size());
      bytesAt(exports.field_chunk(), encoded.length).set(encoded);
      return exports.set_filter_name(encoded.length) !== 0;
    },
    filterNameRefusal: () => cString(exports.filter_name_refusal()),
    // The gain in dB at evenly spaced frequencies from 0 to half the sample rate.
    responseDb: () => new Float64Array(exports.memory.buffer, exports.response_db(), exports.response_points()),
    sampleRate: () => exports.sample_rate(),
    figures: () => ({
      achievedAttenuation: exports.achieved_attenuation(),
      passLowest: exports.pass_lowest(),
      passHighest: exports.pass_highest(),
      halfGain: [exports.half_gain_frequency(0), exports.half_gain_frequency(1)],
      halfPower: [exports.half_power_frequency(0), exports.half_power_frequency(1)],
      edges: [exports.band_edge(0), exports.band_edge(1)].slice(0, exports.edge_count()),
      peakGain: exports.peak_gain(),
      tapsAtZero: exports.taps_at_zero(),
      tapsZeroByDesign: exports.taps_zero_by_design(),
      missingStops: exports.missing_stops(),
      kaiserEstimate: exports.kaiser_estimate(),
    }),
    fixedPointFacts: () => ({
      worstCaseGain: exports.worst_case_gain(), overloadDb: exports.overload_db(),
      accumulatorBits: exports.accumulator_bits(), fastSumCanOverflow: exports.fast_sum_can_overflow() !== 0,
      gainAtZero: exports.gain_at_zero(), gainAtHalfRate: exports.gain_at_half_rate(),
      delaySamples: exports.delay_samples(), inputShift: exports.input_shift(), fits: exports.table_fits() !== 0,
    }),
    // The impulse and step responses of the chosen table, a value a sample.
    timeResponses: () => {
      const impulse = new Float64Array(exports.memory.buffer, exports.impulse_response(), exports.response_length());
      const step = new Float64Array(exports.memory.buffer, exports.step_response(), exports.response_length());
      return { impulse: impulse.slice(), step: step.slice() };
    },
    // The search for the shortest length on a target's table, a few lengths a call.
    searchStart: (name) => exports.search_start(targets.findIndex((target) => target.name === name)) !== 0,
    // What `count` taps of a table reach over the search's bands (for the bench).
    lengthAttenuation: (name, count) =>
      exports.length_attenuation(targets.findIndex((target) => target.name === name), count),
    searchContinue: (lengths) => exports.search_continue(lengths) !== 0,
    searchProgress: () => exports.search_progress(),
    searchOptimizing: () => exports.search_optimizing() !== 0,
    searchResult: () => ({
      shortest: exports.search_shortest(), shortestAttenuation: exports.search_shortest_attenuation(),
      best: exports.search_best(), bestAttenuation: exports.search_best_attenuation(),
      roundedShortest: exports.search_rounded_shortest(), lowestTried: exports.search_lowest_tried(),
      optimized: exports.search_optimized(),
    }),
    cmsisText: () => decoder.decode(bytesAt(exports.cmsis_text(), exports.cmsis_text_length())),
    cmsisName: () => cString(exports.cmsis_name()),
    cmsisHeader: () => decoder.decode(bytesAt(exports.cmsis_header(), exports.cmsis_header_length())),
    cmsisHeaderName: () => cString(exports.cmsis_header_name()),
    blockSizeAdvice: () => cString(exports.block_size_advice()),
    bands: () => {
      const stops = [];
      for (let i = 0; i < exports.stop_band_count(); i++) {
        stops.push([exports.stop_band_low(i), exports.stop_band_high(i)]);
      }
      return { pass: [exports.pass_band_low(), exports.pass_band_high()], stops };
    },
  };
}
