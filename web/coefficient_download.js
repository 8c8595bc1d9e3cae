// The file: its text as the console writes it, and a download of it with
// the chosen line ends (CR LF is what the Windows build writes).
"use strict";

function showCoefficientText(text) {
  document.getElementById("coefficient-text").textContent = text;
  document.getElementById("download").disabled = text === "";
}

function downloadCoefficientFile() {
  const text = document.getElementById("coefficient-text").textContent;
  const crlf = document.getElementById("line-ends").value === "CR LF";
  const blob = new Blob([crlf ? text.replace(/\n/g, "\r\n") : text], { type: "text/x-csrc" });
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = "filter_coefficients.c";
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}
