// Numbers as the page shows them: one minus sign, U+2212, throughout, none
// on a figure that shows as 0, and enough figures to show that a small
// figure is not 0.
"use strict";

const MINUS = "\u2212";

// A figure in dB with the page's minus sign, and none on a figure that
// shows as 0: at least `digits` decimals, more until a nonzero one shows
// (at most 6).
function formatDb(db, digits = 2) {
  let places = digits;
  while (places < 6 && db !== 0 && Number(Math.abs(db).toFixed(places)) === 0) places++;
  const shown = Math.abs(db).toFixed(places);
  return (Number(shown) === 0 || db >= 0 ? "" : MINUS) + shown;
}

// A gain in dB with its sign, to at least `digits` decimals and more until
// a figure that is not 0 shows one; a value that shows as 0 has none.
function signedDb(db, digits = 3) {
  const shown = formatDb(db, digits);
  return Number(shown.replace(MINUS, "-")) === 0 || shown.startsWith(MINUS) ? shown : `+${shown}`;
}

// A gain as a fraction, with the page's minus sign and enough figures to
// show it is not 0 where it is not.
function formatGain(gain) {
  const shown = Math.abs(gain) >= 1e-5 || gain === 0 ? Math.abs(gain).toFixed(5) : Math.abs(gain).toPrecision(3);
  return (gain < 0 ? MINUS : "") + shown;
}


// An axis's tick, as the plotting library writes it but with the page's minus sign.
function formatAxisNumber(value) {
  const shown = String(Number(value.toPrecision(12)));
  return shown.startsWith("-") ? MINUS + shown.slice(1) : shown;
}
