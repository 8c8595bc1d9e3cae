// The shortest length whose written integers meet the need, searched by the
// module a few lengths at a time between the page's other work, so that the
// page answers while it runs; a newer change of the answers stops it.
"use strict";

// Lengths a piece of the search: a few milliseconds of work.
const SEARCH_PIECE = 24;
let searchRun = 0;

function searchShortestLength(module) {
  const run = ++searchRun;
  const shown = document.getElementById("shortest-length");
  const use = document.getElementById("use-shortest");
  use.hidden = true;
  if (!module.searchStart()) {
    shown.textContent = document.getElementById("transition-width").value.trim() === ""
      ? "type a transition width" : "waits for the answers and a transition width that leaves a stop band";
    return;
  }
  const attenuation = document.getElementById("attenuation").value.trim();
  const piece = () => {
    if (run !== searchRun) return;  // the answers changed: a newer search runs
    if (!module.searchContinue(SEARCH_PIECE)) {
      shown.textContent = `searching\u2026 (${Math.min(module.searchProgress(), 2049)} of 2049 lengths tried)`;
      setTimeout(piece, 0);
      return;
    }
    const result = module.searchResult();
    if (result.shortest > 0) {
      shown.textContent = `${result.shortest} taps: their integers reach `
        + `${result.shortestAttenuation.toFixed(2)} dB, and no fewer reach ${attenuation} dB`;
      use.textContent = `Use ${result.shortest} taps`;
      use.dataset.taps = result.shortest;
      use.hidden = false;
    } else {
      shown.textContent = `no length up to 2049 reaches ${attenuation} dB with its pass band within 1 dB: `
        + (result.best > 0 ? `the most any reaches is ${result.bestAttenuation.toFixed(2)} dB, at ${result.best} taps, `
          + "a floor that truncating the taps to 16 bits sets" : "none passes its pass band");
    }
  };
  shown.textContent = "searching\u2026";
  setTimeout(piece, 0);
}

// Puts the length found into the number of coefficients.
function useShortestLength(changed) {
  document.getElementById("coefficient-count").value = document.getElementById("use-shortest").dataset.taps;
  changed();
}
