// The shortest length whose table meets the need, on the chosen table's
// numbers, searched by the module a few steps at a time between the page's
// other work, so that the page answers while it runs; a newer change of the
// answers stops it. Where no length of the chosen table reaches the
// attenuation, the other tables are searched too, to say which reach it and
// whether the length or the table's numbers set the limit.
"use strict";

// The search runs in slices of about SLICE_MS, each made of steps of
// SEARCH_STEP (a length, or a piece of the optimizer's work), and yields
// between slices through a message channel: a timer would wait 4 ms or more
// each time once timers nest.
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
    const at = Math.min(module.searchProgress(), module.maxCoefficients);
    shown.textContent = `searching the ${target.numbers}\u2026 ` + (module.searchOptimizing()
      ? `(optimizing ${at} taps)` : `(${at} of ${module.maxCoefficients} lengths tried)`);
    afterYielding(piece);
  };
  afterYielding(piece);
}

// What the optimized table's search tried, in words, after its answer.
function optimizerTried(result) {
  if (result.roundedShortest === 0) {
    return ` (the optimizer tried the ${result.optimized} lengths whose rounded integers came closest)`;
  }
  return result.lowestTried <= 2 ? "" : `; the optimizer tried every length from ${result.lowestTried} up, `
    + "and shorter ones were not tried";
}

// The sentence for a table's own search.
function describeSearch(result, target, attenuation, maxCoefficients) {
  const optimized = target.name === "q15-optimized";
  if (result.shortest > 0) {
    const fewer = optimized && (result.roundedShortest === 0 || result.lowestTried > 2) ? ""
      : `, and no fewer reach ${attenuation} dB`;
    return `${result.shortest} taps: their ${target.numbers} reach ${result.shortestAttenuation.toFixed(2)} dB${fewer}`
      + (optimized ? optimizerTried(result) : "");
  }
  return `no length up to ${maxCoefficients} reaches ${attenuation} dB with its pass band within 1 dB`
    + (result.best > 0 ? `: the most ${optimized ? "the optimizer found" : "any reaches"} is `
      + `${result.bestAttenuation.toFixed(2)} dB, at ${result.best} taps` : ": none passes its pass band")
    + (optimized ? optimizerTried(result) : "");
}

function searchShortestLength(module, settled) {
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
    settled();
    return;
  }
  const attenuation = document.getElementById("attenuation").value.trim();
  shown.textContent = "searching\u2026";
  searchInSlices(module, run, chosen, shown, (result) => {
    shown.textContent = describeSearch(result, chosen, attenuation, module.maxCoefficients);
    if (result.shortest > 0) {
      use.textContent = `Use ${result.shortest} taps`;
      use.dataset.taps = result.shortest;
      use.hidden = false;
      showWhatReaches(`${result.shortest} taps of these ${chosen.numbers} reach it`);
      settled();
      return;
    }
    // The other tables in turn, the floats first, each said as its search
    // ends; the floats say whether the table's numbers or the length set
    // the limit.
    const found = [];
    const reaching = [];
    let why = "";
    const next = (remaining) => {
      if (remaining.length === 0) {
        showWhatReaches(reaching.length > 0 ? `${reaching.join("; ")}` : `no table reaches it with up to `
          + `${module.maxCoefficients} taps: the length limits it`);
        settled();
        return;
      }
      const [target, ...rest] = remaining;
      module.searchStart(target.name);
      searchInSlices(module, run, target, others, (other) => {
        const reaches = other.shortest > 0;
        found.push(reaches ? `their ${target.numbers} (${target.name}) reach it at ${other.shortest} taps`
          : `their ${target.numbers} (${target.name}) do not reach it`);
        if (reaches) reaching.push(`the ${target.numbers} reach it at ${other.shortest} taps`);
        if (target.name === "f32") {
          why = reaches ? `, a floor that ${chosen.rounding} sets` : ", since even floats do not reach it: the "
            + "length limits it";
        }
        shown.textContent = describeSearch(result, chosen, attenuation, module.maxCoefficients) + why;
        others.textContent = `With another table: ${found.join("; ")}.`;
        next(rest);
      });
    };
    const floats = module.targets.find((target) => target.name === "f32");
    if (chosen === floats) why = ": the length limits it";
    shown.textContent = describeSearch(result, chosen, attenuation, module.maxCoefficients) + why;
    next([floats, ...module.targets.filter((target) => target !== chosen && target !== floats)]
      .filter((target) => target !== chosen));
  });
}

// Puts the length found into the number of coefficients, keeping the focus
// in the form: on the number of coefficients, which the new length fills.
function useShortestLength(changed) {
  const count = document.getElementById("coefficient-count");
  count.value = document.getElementById("use-shortest").dataset.taps;
  count.focus();
  changed();
}
