// The page's start: loads the module, labels the form and redraws
// everything from the module on every change.
"use strict";

(async () => {
  const module = await loadDesignModule();
  const plot = createPlot(document.getElementById("plot"));
  const update = () => {
    readForm(module);
    const designed = module.update();
    showFieldStates(module);
    const figures = module.figures();
    showKaiserEstimate(figures.kaiserEstimate);
    showCoefficientText(designed ? module.coefficientText() : "");
    document.getElementById("response").classList.toggle("stale", !designed);
    if (designed) {
      const attenuation = Number(document.getElementById("attenuation").value);
      plot.show(module.responseDb(), module.sampleRate(), module.bands(), attenuation);
      showFigures(figures, module.bands(), attenuation);
    }
  };
  labelForm(module);
  document.getElementById("answers").addEventListener("input", update);
  document.getElementById("transition-width").addEventListener("input", update);
  document.getElementById("answers").addEventListener("submit", (event) => event.preventDefault());
  document.addEventListener("keydown", (event) => chooseTypeByKey(event, update));
  document.getElementById("download").addEventListener("click", downloadCoefficientFile);
  update();
  window.designModule = module;  // for the tests, which check it against the console tool
  document.body.dataset.ready = "true";
})();
