// The shortest length whose table meets the need, on the chosen target's
// numbers, searched by the module a few lengths at a time between the
// page's other work, so that the page answers while it runs; a newer change
// of the answers stops it. Where no length of the chosen table reaches the
// attenuation, the other targets are searched too, to say which reach it.
"use strict";

// The search runs in slices of about SLICE_MS, each made of steps of
// SEARCH_STEP lengths, and yields between slices through a message
// channel: a timer would wait 4 ms or more each time once timers nest.
const SLICE_MS = 8;
const SEARCH_STEP = 1;
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

// Goes on with the search started for `target`'s table in slices, showing
// its progress in `shown`, and passes the result to `finished`; nothing
// once a newer search runs.
function searchInSlices(module, run, target, shown, finished) {
  const piece = () => {
    if (run !== searchRun) return;  // the answers changed: a newer search runs
    const start = performance.now();
    let done = false;
    while (!(done = module.searchContinue(SEARCH_STEP)) && performance.now() - start < SLICE_MS) {
    }
    if (done) {
      finished(module.searchResult());
      return;
    }
    shown.textContent = `searching the ${target.numbers}\u2026 `
      + `(${Math.min(module.searchProgress(), module.maxCoefficients)} of ${module.maxCoefficients} lengths tried)`;
    afterYielding(piece);
  };
  afterYielding(piece);
}

function searchShortestLength(module) {
  const run = ++searchRun;
  const shown = document.getElementById("shortest-length");
  const others = document.getElementById("other-targets");
  const use = document.getElementById("use-shortest");
  use.hidden = true;
  others.textContent = "";
  const chosen = chosenTarget(module);
  if (!module.searchStart(chosen.name)) {
    shown.textContent = document.getElementById("transition-width").value.trim() === ""
      ? "type a transition width" : "waits for the answers and a transition width that leaves a stop band";
    return;
  }
  const attenuation = document.getElementById("attenuation").value.trim();
  shown.textContent = "searching\u2026";
  searchInSlices(module, run, chosen, shown, (result) => {
    if (result.shortest > 0) {
      shown.textContent = `${result.shortest} taps: their ${chosen.numbers} reach `
        + `${result.shortestAttenuation.toFixed(2)} dB, and no fewer reach ${attenuation} dB`;
      use.textContent = `Use ${result.shortest} taps`;
      use.dataset.taps = result.shortest;
      use.hidden = false;
      return;
    }
    shown.textContent = `no length up to ${module.maxCoefficients} reaches ${attenuation} dB with its pass band within 1 dB: `
      + (result.best > 0 ? `the most any reaches is ${result.bestAttenuation.toFixed(2)} dB, at ${result.best} taps, `
        + `a floor that ${chosen.rounding} sets` : "none passes its pass band");
    // The other targets in turn, each said as its search ends.
    const found = [];
    const next = (remaining) => {
      if (remaining.length === 0) return;
      const [target, ...rest] = remaining;
      module.searchStart(target.name);
      searchInSlices(module, run, target, others, (other) => {
        found.push(other.shortest > 0 ? `their ${target.numbers} (${target.name}) reach it at ${other.shortest} taps`
          : `their ${target.numbers} (${target.name}) do not reach it`);
        others.textContent = `With another table: ${found.join("; ")}.`;
        next(rest);
      });
    };
    next(module.targets.filter((target) => target !== chosen));
  });
}

// Puts the length found into the number of coefficients.
function useShortestLength(changed) {
  document.getElementById("coefficient-count").value = document.getElementById("use-shortest").dataset.taps;
  changed();
}
