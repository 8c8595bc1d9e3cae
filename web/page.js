// The page's start: loads the module, labels the form and redraws
// everything from the module on every change.
"use strict";

// How long typing must pause before the status line speaks, in ms: a screen
// reader then hears one sentence, not one per keystroke.
const STATUS_PAUSE = 700;

(async () => {
  let module;
  try {
    module = await loadDesignModule();
  } catch (error) {
    const failure = document.getElementById("page-failure");
    failure.textContent = `The design module could not start (${error.message}): this browser may lack `
      + "WebAssembly. The console tool fir_design asks the same questions.";
    failure.hidden = false;
    return;
  }
  const plot = createPlot(document.getElementById("plot"));
  const impulsePlot = createTimePlot(document.getElementById("impulse-plot"), "impulse response");
  const stepPlot = createTimePlot(document.getElementById("step-plot"), "step response");
  let statusTimer = 0;
  let laterTimer = 0;
  // The edit the status line is to speak for: once typing has paused and
  // the search for its length has ended, it speaks once.
  let edit = null;
  // A link with a value that could not be read stays in the address as it
  // came, until an answer changes.
  let linkHeld = false;
  // The status line speaks once an edit has settled, and says so in its
  // data-settled attribute until the next edit.
  const status = document.getElementById("status");
  const speak = (designed, figures) => {
    const refusals = refusalsShown(module);
    status.textContent = refusals.length > 0 ? refusals.join(". ") + "."
      : designed ? `Designed: ${describePlot(figures, module.sampleRate(), chosenTarget(module))}` : "";
    status.dataset.settled = "true";
  };
  const speakOnceSettled = (settledEdit) => {
    if (settledEdit === edit && settledEdit.paused && settledEdit.searched) {
      speak(settledEdit.designed, settledEdit.figures);
    }
  };
  const update = () => {
    readForm(module);
    const designed = module.update();
    showFieldStates(module);
    const figures = module.figures();
    const thisEdit = edit = { designed, figures, paused: false, searched: false };
    delete status.dataset.settled;
    showKaiserEstimate(figures.kaiserEstimate, module.fieldState(module.fieldIndex("attenuation")) === "accepted",
                       module.maxCoefficients);
    showCoefficientText(designed ? module.coefficientText() : "", module.coefficientFileName());
    document.getElementById("response").classList.toggle("stale", !designed);
    if (designed) {
      const attenuation = Number(document.getElementById("attenuation").value);
      const key = document.querySelector("input[name=filter-type]:checked").value;
      plot.show(module.responseDb(), module.sampleRate(), module.bands(), attenuation, key);
      const value = (id) => Number(document.getElementById(id).value);
      showFigures(figures, module.bands(), attenuation, {
        count: value("coefficient-count"), key, saturates: module.roundingSaturates(),
        widthTyped: module.fieldState(module.fieldIndex("transition-width")) === "accepted",
        swapped: key === "B" && value("lower-cutoff") > value("upper-cutoff"),
        reachesHalfRate: key === "B" && Math.max(value("lower-cutoff"), value("upper-cutoff")) === Math.floor(module.sampleRate() / 2),
      }, chosenTarget(module));
      document.getElementById("plot").setAttribute("aria-label",
                                                    describePlot(figures, module.sampleRate(), chosenTarget(module)));
    }
    // What lies below the first screen comes a moment later, after the
    // response and the file are drawn.
    clearTimeout(laterTimer);
    laterTimer = setTimeout(() => {
      showCmsisText({ text: designed ? module.cmsisText() : "", name: module.cmsisName(),
                      header: designed ? module.cmsisHeader() : "", headerName: module.cmsisHeaderName() },
                    designed ? module.fixedPointFacts() : null, chosenTarget(module),
                    designed ? module.blockSizeAdvice() : "");
      if (designed) {
        showFixedPointFacts(module.fixedPointFacts(), module.sampleRate(), chosenTarget(module));
        const responses = module.timeResponses();
        impulsePlot.show(responses.impulse, chosenTarget(module).numbers);
        stepPlot.show(responses.step, chosenTarget(module).numbers);
      }
      if (!linkHeld) keepDesignInLink(module);
      searchShortestLength(module, () => {
        thisEdit.searched = true;
        speakOnceSettled(thisEdit);
      });
    }, 0);
    clearTimeout(statusTimer);
    statusTimer = setTimeout(() => {
      thisEdit.paused = true;
      speakOnceSettled(thisEdit);
    }, STATUS_PAUSE);
  };
  const changed = () => {
    linkHeld = false;
    update();
  };
  labelForm(module);
  linkHeld = !readDesignFromLink(module);
  const form = document.getElementById("answers");
  form.addEventListener("input", changed);
  form.addEventListener("change", (event) => {
    if (event.target.name === "filter-type") document.getElementById("filter-type-refusal").textContent = "";
  });
  form.addEventListener("paste", (event) => spreadPaste(event, module, changed));
  document.getElementById("transition-width").addEventListener("input", changed);
  form.addEventListener("submit", (event) => event.preventDefault());
  document.addEventListener("keydown", (event) => chooseTypeByKey(event, () => {
    document.getElementById("filter-type-refusal").textContent = "";
    changed();
  }));
  document.getElementById("download").addEventListener("click", downloadCoefficientFile);
  document.getElementById("reset-zoom").addEventListener("click", () => plot.resetZoom());
  document.getElementById("zoom-pass-band").addEventListener("click", () => plot.zoomPassBand());
  document.getElementById("log-frequency").addEventListener("change", (event) => plot.setLogarithmic(event.target.checked));
  for (const button of document.querySelectorAll("button[data-text]")) {
    button.insertAdjacentHTML("afterend", " <span class=\"copy-status\" aria-live=\"polite\"></span>");
    button.addEventListener("click", copyFileText);
  }
  for (const file of document.querySelectorAll("pre")) file.addEventListener("keydown", selectFileOnly);
  for (const printing of ["beforeprint", "afterprint"]) {
    addEventListener(printing, () => [plot, impulsePlot, stepPlot].forEach((shown) => shown.resize()));
  }
  document.getElementById("download-cmsis").addEventListener("click", downloadCmsisFile);
  document.getElementById("download-cmsis-header").addEventListener("click", downloadCmsisFile);
  document.getElementById("filter-name").addEventListener("input", changed);
  document.getElementById("use-shortest").addEventListener("click", () => useShortestLength(changed));
  document.getElementById("copy-link").addEventListener("click", copyDesignLink);
  document.getElementById("block-size").addEventListener("input", changed);
  document.getElementById("target").addEventListener("change", () => {
    document.getElementById("target-refusal").textContent = "";
    changed();
  });
  update();
  window.designModule = module;  // for the tests, which check it against the console tool
  window.responsePlot = plot;
  document.body.dataset.ready = "true";
})();
