// The plot of the gain in dB against frequency in Hz, from 0 to half the
// sample rate, drawn by dygraphs (inlined from Debian's libjs-dygraphs): it
// brings the axes, the zoom (a drag across zooms the frequencies, up or
// down the gain; double-click undoes it), the pan (shift and drag, or one
// finger) and the readout under the pointer. The bands and the requested
// attenuation are drawn beneath the curve, as examples/fir_response.py
// shades them, in the page's colours, light or dark.
"use strict";

// Points drawn across the plot's width: the spectrum has many more, so each
// of this many columns shows the least and the greatest gain it covers, and
// a zoom draws its own range again from the whole spectrum.
const COLUMNS = 1000;

// The lowest gain the axis shows: about what 16-bit taps can show (a tap
// of 1/32768 against a gain of 1), unless the curve itself goes lower.
const GAIN_AXIS_FLOOR = -120;

// The page's colours, from its style sheet, which follows the reader's scheme.
function plotColours() {
  const style = getComputedStyle(document.documentElement);
  const colour = (name) => style.getPropertyValue(name).trim();
  return { curve: colour("--curve"), pass: colour("--pass-band"), stop: colour("--stop-band"),
           requested: colour("--requested"), axis: colour("--axis") };
}

// [frequency, gain] points of gainDb (a point every `step` Hz) from low to
// high Hz, at most two a column, and the two ends of the spectrum (or of
// what a logarithmic axis can show, from the first bin), so that the data
// always spans the whole of it and zooming out returns to it all.
function visiblePoints(gainDb, step, low, high, logarithmic) {
  const lowest = logarithmic ? 1 : 0;
  const first = Math.max(lowest, Math.floor(low / step));
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
  if (first > lowest) points.unshift([lowest * step, gainDb[lowest]]);
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
  let logarithmic = false;
  let fullGain = [GAIN_AXIS_FLOOR, 5];
  let gainZoomed = false;
  let colours = plotColours();
  const shade = (canvas, area, graph) => {
    const fill = (low, high, colour) => {
      const left = graph.toDomXCoord(Math.max(low, logarithmic ? step : 0));
      canvas.fillStyle = colour;
      canvas.fillRect(left, area.y, graph.toDomXCoord(high) - left, area.h);
    };
    if (bands.pass[0] < bands.pass[1]) fill(bands.pass[0], bands.pass[1], colours.pass);
    bands.stops.forEach(([low, high]) => fill(low, high, colours.stop));
    const y = graph.toDomYCoord(-attenuation);
    canvas.strokeStyle = colours.requested;
    canvas.lineWidth = 1.5;
    canvas.beginPath();
    canvas.moveTo(area.x, y);
    canvas.lineTo(area.x + area.w, y);
    canvas.stroke();
  };
  const whole = () => [logarithmic ? step : 0, (gains.length - 1) * step];
  // Draws [low, high] Hz again from the whole spectrum, within the spectrum,
  // and the gain axis over `gainRange`.
  const draw = (low, high, gainRange) => {
    const [start, end] = whole();
    const width = Math.min(high - low, end - start);
    const from = Math.min(Math.max(low, start), end - width);
    const to = from + width;
    const all = from <= start && to >= end;
    graph.updateOptions({ file: visiblePoints(gains, step, from, to, logarithmic), dateWindow: all ? null : [from, to],
                          valueRange: gainRange });
  };
  const graph = new Dygraph(element, [[0, 0]], {
    labels: ["frequency (Hz)", "gain (dB)"],
    xlabel: "frequency (Hz)",
    ylabel: "gain (dB)",
    colors: [colours.curve],
    axisLineColor: colours.axis,
    strokeWidth: 1.5,
    underlayCallback: shade,
    labelsDiv: document.getElementById("readout"),
    legend: "always",
    axes: { x: { valueFormatter: (hz) => `${hz.toFixed(1)} Hz`, pixelsPerLabel: 70 },
            y: { valueFormatter: (db) => `${formatDb(db)} dB`, axisLabelFormatter: (db) => formatAxisNumber(db),
                 axisLabelWidth: 55, pixelsPerLabel: 28 } },
    // Drawn again from the whole spectrum for the new range (a pan too);
    // zooming out (double-click) comes here as well, with the whole range.
    // A double-click leaves no gain range of its own: the whole again.
    zoomCallback: (low, high, gainRanges) => {
      const range = graph.isZoomed("y") ? gainRanges[0] : fullGain;
      gainZoomed = range[0] !== fullGain[0] || range[1] !== fullGain[1];
      draw(low, high, range);
    },
  });
  // A pan that leaves the spectrum is brought back to it.
  graph.updateOptions({
    drawCallback: (drawn) => {
      const [low, high] = drawn.xAxisRange();
      const [start, end] = whole();
      if (gains.length > 1 && drawn.isZoomed("x") && (low < start - step / 2 || high > end + step / 2)) {
        setTimeout(() => draw(low, high, drawn.yAxisRange()), 0);
      }
    },
  });
  const resetZoom = () => {
    gainZoomed = false;
    draw(...whole(), fullGain);
  };
  // The plot follows its box's size: the window, a phone turned, the page printed.
  new ResizeObserver(() => graph.resize()).observe(element);
  matchMedia("(prefers-color-scheme: dark)").addEventListener("change", () => {
    colours = plotColours();
    graph.updateOptions({ colors: [colours.curve], axisLineColor: colours.axis });
  });
  return {
    // Draws the gain of a design: `gainDb` evenly from 0 to half of
    // `sampleRate`. A new sample rate or filter type shows the whole spectrum.
    show(gainDb, sampleRate, designBands, requestedAttenuation, filterType) {
      bands = designBands;
      attenuation = requestedAttenuation;
      gains = gainDb.slice();
      step = sampleRate / 2 / (gainDb.length - 1);
      const keepZoom = graph.isZoomed("x") && sampleRate === shownRate && filterType === shownType;
      gainZoomed = gainZoomed && sampleRate === shownRate && filterType === shownType;
      shownRate = sampleRate;
      shownType = filterType;
      fullGain = [Math.max(-(requestedAttenuation + 40), Math.min(GAIN_AXIS_FLOOR, lowestGain(gains))), 5];
      const [low, high] = keepZoom ? graph.xAxisRange() : whole();
      draw(low, high, gainZoomed ? graph.yAxisRange() : fullGain);
    },
    resetZoom,
    // Fits the plot to its box again: before and after printing, whose
    // layout the page's resize watch does not see in time.
    resize: () => graph.resize(),
    // Zooms in on the pass band, its gain axis on its ripple.
    zoomPassBand() {
      const [low, high] = bands.pass;
      if (!(low < high)) return;
      let least = Infinity;
      let greatest = -Infinity;
      for (let k = Math.ceil(low / step); k <= Math.floor(high / step); k++) {
        least = Math.min(least, gains[k]);
        greatest = Math.max(greatest, gains[k]);
      }
      const margin = Math.max((greatest - least) * 0.25, 1e-4);
      gainZoomed = true;
      draw(low, high, [least - margin, greatest + margin]);
    },
    // A logarithmic frequency axis, from the first bin above 0 Hz, or a linear one.
    setLogarithmic(on) {
      logarithmic = on;
      graph.updateOptions({ axes: { x: { logscale: on } } });
      const [low, high] = graph.xAxisRange();
      draw(Math.max(low, whole()[0]), high, gainZoomed ? graph.yAxisRange() : fullGain);
    },
    // The frequencies, in Hz, and the gains, in dB, the plot shows now.
    shownRange: () => graph.xAxisRange(),
    shownGains: () => graph.yAxisRange(),
    // The colour drawn at a frequency and gain, as "#rrggbb", or "none" where
    // nothing is drawn over the page's background: what a person sees there.
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
  const colours = plotColours();
  const graph = new Dygraph(element, [[0, 0]], {
    labels: ["sample", label], xlabel: "sample", ylabel: label, colors: [colours.curve], strokeWidth: 1,
    axisLineColor: colours.axis, legend: "never", axisLabelFontSize: 11,
    axes: { y: { axisLabelFormatter: (value) => formatAxisNumber(value) } },
  });
  new ResizeObserver(() => graph.resize()).observe(element);
  matchMedia("(prefers-color-scheme: dark)").addEventListener("change", () => {
    const now = plotColours();
    graph.updateOptions({ colors: [now.curve], axisLineColor: now.axis });
  });
  const figure = (value) => formatDb(value, 4);
  return {
    resize: () => graph.resize(),
    show(values, numbers) {
      graph.updateOptions({ file: Array.from(values, (value, i) => [i, value]) });
      element.setAttribute("aria-label", `${label} of the ${numbers} over ${values.length} samples, `
        + `from ${figure(Math.min(...values))} to ${figure(Math.max(...values))}`);
    },
  };
}
