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

// [frequency, gain] points of gainDb (a point every `step` Hz) from low to
// high Hz, at most two a column.
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
  return points;
}

function createPlot(element) {
  let bands = { pass: [0, 0], stops: [] };
  let attenuation = 0;
  let gains = new Float64Array(1);
  let step = 1;
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
    zoomCallback: (low, high) => {
      graph.updateOptions({ file: visiblePoints(gains, step, low, high), dateWindow: [low, high] });
    },
  });
  return {
    // Draws the gain of a design: `gainDb` evenly from 0 to half of `sampleRate`.
    show(gainDb, sampleRate, designBands, requestedAttenuation) {
      bands = designBands;
      attenuation = requestedAttenuation;
      gains = gainDb.slice();
      step = sampleRate / 2 / (gainDb.length - 1);
      const [low, high] = graph.isZoomed("x") ? graph.xAxisRange() : [0, sampleRate / 2];
      graph.updateOptions({ file: visiblePoints(gains, step, low, high),
                            dateWindow: graph.isZoomed("x") ? [low, high] : null,
                            valueRange: [-(requestedAttenuation + 40), 5] });
    },
  };
}
