// The figures beside the plot, measured by the module from the integers.
"use strict";

function showFigures(figures, bands, attenuation) {
  const hz = (values) => values.filter((v) => !Number.isNaN(v)).map((v) => `${v.toFixed(1)} Hz`)
    .join(" and ") || "no band edge inside the spectrum";
  const text = (id, value) => { document.getElementById(id).textContent = value; };
  text("achieved-attenuation", !Number.isNaN(figures.achievedAttenuation)
    ? `${figures.achievedAttenuation.toFixed(1)} dB`
    : attenuation < 8 ? "no stop band: below 8 dB Kaiser's transition width has none"
    : "no stop band: the transition band reaches half the sample rate");
  const signed = (db) => `${db >= 0 ? "+" : "\u2212"}${Math.abs(db).toFixed(3)}`;
  text("pass-band-gain", Number.isNaN(figures.passLowest) ? "no pass band outside the transition band"
    : `${signed(figures.passLowest)} to ${signed(figures.passHighest)} dB`);
  text("half-gain", hz(figures.halfGain));
  text("half-power", hz(figures.halfPower));
  text("taps-at-zero", `${figures.tapsAtZero}`);
}

function showKaiserEstimate(estimate) {
  document.getElementById("kaiser-estimate").textContent = Number.isNaN(estimate)
    ? "type a transition width (and an attenuation of 8 dB or more)"
    : `N \u2248 ${estimate.toFixed(1)}, so ${Math.ceil(estimate)} taps`;
}
