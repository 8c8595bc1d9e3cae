// The shortest length whose written integers meet the need, searched by the
// module a few lengths at a time between the page's other work, so that the
// page answers while it runs; a newer change of the answers stops it.
"use strict";

// The search runs in slices of about SLICE_MS, each made of steps of
// SEARCH_STEP lengths, and yields between slices through a message
// channel: a timer would wait 4 ms or more each time once timers nest.
const SLICE_MS = 10;
const SEARCH_STEP = 8;
let searchRun = 0;
// One message at a time: a newer search takes the place of the waiting one.
const nextSlice = new MessageChannel();
let sliceWaiting = null;
nextSlice.port1.onmessage = () => {
  const work = sliceWaiting;
  sliceWaiting = null;
  work();
};
const afterYielding = (work) => {
  if (sliceWaiting === null) nextSlice.port2.postMessage(null);
  sliceWaiting = work;
};

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
    const start = performance.now();
    let done = false;
    while (!(done = module.searchContinue(SEARCH_STEP)) && performance.now() - start < SLICE_MS) {
    }
    if (!done) {
      shown.textContent = `searching\u2026 (${Math.min(module.searchProgress(), module.maxCoefficients)} of ${module.maxCoefficients} lengths tried)`;
      afterYielding(piece);
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
      shown.textContent = `no length up to ${module.maxCoefficients} reaches ${attenuation} dB with its pass band within 1 dB: `
        + (result.best > 0 ? `the most any reaches is ${result.bestAttenuation.toFixed(2)} dB, at ${result.best} taps, `
          + "a floor that truncating the taps to 16 bits sets" : "none passes its pass band");
    }
  };
  shown.textContent = "searching\u2026";
  afterYielding(piece);
}

// Puts the length found into the number of coefficients.
function useShortestLength(changed) {
  document.getElementById("coefficient-count").value = document.getElementById("use-shortest").dataset.taps;
  changed();
}
