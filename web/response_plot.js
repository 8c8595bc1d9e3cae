// The plot of the gain in dB against frequency in Hz, from 0 to half the
// sample rate, drawn by dygraphs (inlined from Debian's libjs-dygraphs): it
// brings the axes, the zoom (drag, double-click to undo) and the readout
// under the pointer. The bands and the requested attenuation are drawn
// beneath the curve, as examples/fir_response.py shades them.
"use strict";

const PASS_COLOUR = "#d8f0d8";
const STOP_COLOUR = "#f4dede";

// Points drawn across the plot's width: the spectrum has many more, so each
// of this many columns shows the least and the greatest gain it covers, and
// a zoom draws its own range again from the whole spectrum.
const COLUMNS = 1000;

// The lowest gain the axis shows: about what 16-bit taps can show (a tap
// of 1/32768 against a gain of 1), unless the curve itself goes lower.
const GAIN_AXIS_FLOOR = -120;

// [frequency, gain] points of gainDb (a point every `step` Hz) from low to
// high Hz, at most two a column, and the two ends of the spectrum, so that
// the data always spans the whole of it and zooming out returns to it all.
function visiblePoints(gainDb, step, low, high) {
  const first = Math.max(0, Math.floor(low / step));
  const last = Math.min(gainDb.length - 1, Math.ceil(high / step));
  const points = [];
  const perColumn = Math.max(1, Math.ceil((last - first + 1) / COLUMNS));
  for (let start = first; start <= last; start += perColumn) {
    let least = start;
    let greatest = start;
    for (let k = start + 1; k < Math.min(start + perColumn, last + 1); k++) {
      if (gainDb[k] < gainDb[least]) least = k;
      if (gainDb[k] > gainDb[greatest]) greatest = k;
    }
    for (const k of least < greatest ? [least, greatest] : greatest < least ? [greatest, least] : [least]) {
      points.push([k * step, gainDb[k]]);
    }
  }
  if (first > 0) points.unshift([0, gainDb[0]]);
  if (last < gainDb.length - 1) points.push([(gainDb.length - 1) * step, gainDb[gainDb.length - 1]]);
  return points;
}

// The lowest gain of a spectrum, for the axis.
function lowestGain(gainDb) {
  let lowest = Infinity;
  for (const db of gainDb) lowest = Math.min(lowest, db);
  return lowest;
}

function createPlot(element) {
  let bands = { pass: [0, 0], stops: [] };
  let attenuation = 0;
  let gains = new Float64Array(1);
  let step = 1;
  let shownRate = 0;
  let shownType = "";
  const shade = (canvas, area, graph) => {
    const fill = (low, high, colour) => {
      const left = graph.toDomXCoord(low);
      canvas.fillStyle = colour;
      canvas.fillRect(left, area.y, graph.toDomXCoord(high) - left, area.h);
    };
    if (bands.pass[0] < bands.pass[1]) fill(bands.pass[0], bands.pass[1], PASS_COLOUR);
    bands.stops.forEach(([low, high]) => fill(low, high, STOP_COLOUR));
    const y = graph.toDomYCoord(-attenuation);
    canvas.strokeStyle = "#c02020";
    canvas.lineWidth = 1.5;
    canvas.beginPath();
    canvas.moveTo(area.x, y);
    canvas.lineTo(area.x + area.w, y);
    canvas.stroke();
  };
  const graph = new Dygraph(element, [[0, 0]], {
    labels: ["frequency (Hz)", "gain (dB)"],
    xlabel: "frequency (Hz)",
    ylabel: "gain (dB)",
    colors: ["#1060c0"],
    strokeWidth: 1.5,
    underlayCallback: shade,
    labelsDiv: document.getElementById("readout"),
    legend: "always",
    axes: { x: { valueFormatter: (hz) => `${hz.toFixed(1)} Hz` },
            y: { valueFormatter: (db) => `${db.toFixed(2)} dB` } },
    // Drawn again from the whole spectrum for the new range; zooming out
    // (double-click) comes here too, with the whole range.
    zoomCallback: (low, high) => {
      const whole = low <= 0 && high >= (gains.length - 1) * step;
      graph.updateOptions({ file: visiblePoints(gains, step, low, high), dateWindow: whole ? null : [low, high] });
    },
  });
  const resetZoom = () => {
    graph.updateOptions({ file: visiblePoints(gains, step, 0, (gains.length - 1) * step), dateWindow: null });
  };
  return {
    // Draws the gain of a design: `gainDb` evenly from 0 to half of
    // `sampleRate`. A new sample rate or filter type shows the whole spectrum.
    show(gainDb, sampleRate, designBands, requestedAttenuation, filterType) {
      bands = designBands;
      attenuation = requestedAttenuation;
      gains = gainDb.slice();
      step = sampleRate / 2 / (gainDb.length - 1);
      const keepZoom = graph.isZoomed("x") && sampleRate === shownRate && filterType === shownType;
      shownRate = sampleRate;
      shownType = filterType;
      const [low, high] = keepZoom ? graph.xAxisRange() : [0, sampleRate / 2];
      const bottom = Math.max(-(requestedAttenuation + 40), Math.min(GAIN_AXIS_FLOOR, lowestGain(gains)));
      graph.updateOptions({ file: visiblePoints(gains, step, low, high),
                            dateWindow: keepZoom ? [low, high] : null,
                            valueRange: [bottom, 5] });
    },
    resetZoom,
    // The frequencies, in Hz, the plot shows now.
    shownRange: () => graph.xAxisRange(),
    // The colour drawn at a frequency and gain, as "#rrggbb", or "none" where
    // nothing is drawn over the page's white: what a person sees there.
    colourAt(hz, db) {
      const canvas = element.querySelector("canvas");
      const scale = canvas.width / canvas.clientWidth;
      const [r, g, b, a] = canvas.getContext("2d").getImageData(
        Math.round(graph.toDomXCoord(hz) * scale), Math.round(graph.toDomYCoord(db) * scale), 1, 1).data;
      return a === 0 ? "none" : "#" + [r, g, b].map((v) => v.toString(16).padStart(2, "0")).join("");
    },
  };
}

// A small plot of a response against the sample index: the impulse or the
// step response of the chosen table, whose numbers `show` names.
function createTimePlot(element, label) {
  const graph = new Dygraph(element, [[0, 0]], {
    labels: ["sample", label], xlabel: "sample", ylabel: label, colors: ["#1060c0"], strokeWidth: 1,
    legend: "never", axisLabelFontSize: 11,
  });
  return {
    show(values, numbers) {
      graph.updateOptions({ file: Array.from(values, (value, i) => [i, value]) });
      element.setAttribute("aria-label", `${label} of the ${numbers} over ${values.length} samples, `
        + `from ${Math.min(...values).toFixed(4)} to ${Math.max(...values).toFixed(4)}`);
    },
  };
}
