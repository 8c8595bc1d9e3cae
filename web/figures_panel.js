// The figures beside the plot, measured by the module from the chosen
// table, each worded so that it is true for every design, degenerate ones too.
"use strict";

// Where the gain crosses a level at each band edge, or why it does not.
function crossings(values, edges, peakGain, levelDb) {
  if (edges.length === 0) return "no band edge inside the spectrum";
  if (peakGain < levelDb) return `the gain never reaches ${MINUS}${Math.abs(levelDb)} dB`;
  return values.slice(0, edges.length).map((hz, i) => Number.isNaN(hz)
    ? `not crossed near the edge at ${edges[i]} Hz` : `${hz.toFixed(1)} Hz`).join(" and ");
}

// Why a design has no stop band on a side: its transition band reaches the
// end of the spectrum there.
function missingStopSides(missing) {
  const sides = [];
  if (missing & 1) sides.push("0 Hz");
  if (missing & 2) sides.push("half the sample rate");
  return sides.length ? `the transition band reaches ${sides.join(" and ")}` : "";
}

// The achieved attenuation as last shown, how far short of the request it
// falls, if it does, and what reaches the request: the length search's
// words, once it has found them.
const shortfall = { achieved: "", short: "", reach: "" };

function showAchieved() {
  document.getElementById("achieved-attenuation").textContent = shortfall.achieved
    + (shortfall.short ? `: ${shortfall.short}; ${shortfall.reach}` : "");
}

// Says what reaches the attenuation asked, where the table falls short.
function showWhatReaches(words) {
  shortfall.reach = words;
  showAchieved();
}

function showFigures(figures, bands, attenuation, design, target) {
  const text = (id, value) => { document.getElementById(id).textContent = value; };
  const allZero = figures.tapsAtZero === design.count;
  const missing = missingStopSides(figures.missingStops);
  const achieved = figures.achievedAttenuation;
  shortfall.achieved = allZero ? "none: all taps are 0, so the filter passes nothing"
    : !Number.isNaN(achieved)
      ? `${achieved.toFixed(1)} dB` + (missing ? ` (the other side has no stop band: ${missing})` : "")
    : attenuation < 8 ? "no stop band: below 8 dB Kaiser's transition width has none"
    : `no stop band: ${missing}`;
  // Shown to a tenth of a dB: short by at least that much.
  const short = attenuation - Number(achieved.toFixed(1));
  shortfall.short = !allZero && !Number.isNaN(achieved) && short > 0
    ? `${short.toFixed(1)} dB short of the ${attenuation} dB asked` : "";
  shortfall.reach = design.widthTyped ? "searching for a length that reaches it\u2026"
    : "type a transition width below to find the length that reaches it";
  showAchieved();
  text("pass-band-gain", allZero ? "none: all taps are 0"
    : Number.isNaN(figures.passLowest) ? "no pass band outside the transition band"
    : `${signedDb(figures.passLowest)} to ${signedDb(figures.passHighest)} dB`);
  text("peak-gain", allZero ? "none: all taps are 0" : `${signedDb(figures.peakGain)} dB`);
  text("half-gain", allZero ? "none: all taps are 0" : crossings(figures.halfGain, figures.edges, figures.peakGain, -6));
  text("half-power", allZero ? "none: all taps are 0" : crossings(figures.halfPower, figures.edges, figures.peakGain, -3));
  const truncated = figures.tapsAtZero - figures.tapsZeroByDesign;
  text("taps-at-zero", `${figures.tapsAtZero} of ${design.count}: ${figures.tapsZeroByDesign} where the design `
    + `puts a zero, ${truncated} ${target.name === "q15" ? "truncated" : "rounded"} to 0`);
  const notes = [];
  if (design.saturates) {
    notes.push("A tap of 1.0 or more does not fit 16 bits: rounding saturates it to 32767.");
  }
  if (design.count % 2 === 0 && (design.key === "H" || (design.key === "B" && design.reachesHalfRate))) {
    notes.push("An even number of taps forces zero gain at half the sample rate, so the pass band falls "
      + "away there: an odd number of taps avoids it.");
  }
  if (design.swapped) {
    notes.push("The band edges are swapped: every tap is negated, which leaves the gain as shown "
      + "and flips the sign of the output.");
  }
  text("design-notes", notes.join(" "));
}

// One sentence that says what the plot shows, for screen readers.
function describePlot(figures, sampleRate, target) {
  const achieved = document.getElementById("achieved-attenuation").textContent;
  const pass = document.getElementById("pass-band-gain").textContent;
  return `Gain of the ${target.numbers} from 0 to ${sampleRate / 2} Hz. Pass-band gain: ${pass}. `
    + `Achieved stop-band attenuation: ${achieved}. Peak gain: ${document.getElementById("peak-gain").textContent}.`;
}

// Kaiser's estimate, or what it waits for, and the tool's limit beside it.
function showKaiserEstimate(estimate, attenuationAccepted, maxCoefficients) {
  const width = document.getElementById("transition-width").value.trim();
  document.getElementById("kaiser-estimate").textContent = !Number.isNaN(estimate)
    ? `N \u2248 ${estimate.toFixed(1)}, so ${Math.ceil(estimate)} taps`
      + (Math.ceil(estimate) > maxCoefficients ? ` (more than the ${maxCoefficients} the tool takes)` : "")
    : width === "" ? "type a transition width"
    : attenuationAccepted ? "none below 8 dB of attenuation, where the formula gives no length"
    : "waits for an accepted attenuation and transition width";
}
