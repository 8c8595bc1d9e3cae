// The plot of the gain in dB against frequency in Hz, from 0 to half the
// sample rate, drawn by dygraphs (inlined from Debian's libjs-dygraphs): it
// brings the axes, the zoom (drag, double-click to undo) and the readout
// under the pointer. The bands and the requested attenuation are drawn
// beneath the curve, as examples/fir_response.py shades them.
"use strict";

const PASS_COLOUR = "#d8f0d8";
const STOP_COLOUR = "#f4dede";

function createPlot(element) {
  let bands = { pass: [0, 0], stops: [] };
  let attenuation = 0;
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
  });
  return {
    // Draws the gain of a design: `gainDb` evenly from 0 to half of `sampleRate`.
    show(gainDb, sampleRate, designBands, requestedAttenuation) {
      bands = designBands;
      attenuation = requestedAttenuation;
      const step = sampleRate / 2 / (gainDb.length - 1);
      const points = new Array(gainDb.length);
      for (let k = 0; k < gainDb.length; k++) points[k] = [k * step, gainDb[k]];
      graph.updateOptions({ file: points, dateWindow: null,
                            valueRange: [-(requestedAttenuation + 40), 5] });
    },
  };
}
