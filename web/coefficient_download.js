// The files' texts: the console's file as it writes it, shown, downloaded
// with the chosen line ends (CR LF is what the Windows build writes), and
// copied, this one and the drop-in files alike.
"use strict";

// Lines a block of the shown text: the browser lays out only the blocks in
// view (content-visibility), so a 2049-line table costs what its first
// screenful does.
const LINES_A_BLOCK = 64;

// Shows a file's text in `shown` in blocks of LINES_A_BLOCK lines.
function showTextInBlocks(shown, text) {
  const lines = text.split(/(?<=\n)/);
  const blocks = [];
  for (let at = 0; at < lines.length; at += LINES_A_BLOCK) {
    const block = document.createElement("span");
    block.className = "text-block";
    block.textContent = lines.slice(at, at + LINES_A_BLOCK).join("");
    blocks.push(block);
  }
  shown.replaceChildren(...blocks);
}

// The file's text under its name: the console's filter_coefficients.c, or
// another 16-bit table's in its format, named so that it is never taken for it.
function showCoefficientText(text, name) {
  showTextInBlocks(document.getElementById("coefficient-text"), text);
  document.getElementById("file-heading").textContent = name;
  document.getElementById("coefficient-text").setAttribute("aria-label", name);
  const download = document.getElementById("download");
  download.textContent = `Download ${name}`;
  download.dataset.name = name;
  download.disabled = text === "";
  document.getElementById("copy-file").setAttribute("aria-label", `Copy ${name}`);
  document.getElementById("copy-file").disabled = text === "";
}

function downloadCoefficientFile() {
  const download = document.getElementById("download");
  downloadText(document.getElementById("coefficient-text").textContent, download.dataset.name);
}

// Downloads `text` as the file `name`, with the chosen line ends.
function downloadText(text, name) {
  const crlf = document.getElementById("line-ends").value === "CR LF";
  const blob = new Blob([crlf ? text.replace(/\n/g, "\r\n") : text], { type: "text/x-csrc" });
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// Copies the text of the file the button names to the clipboard, exactly,
// and says so beside the button; where the browser refuses the clipboard,
// selects the text for the reader to copy.
async function copyFileText(event) {
  const button = event.currentTarget;
  const shown = document.getElementById(button.dataset.text);
  let said = "Copied.";
  try {
    await navigator.clipboard.writeText(shown.textContent);
  } catch (error) {
    selectTextOf(shown);
    said = "The browser did not allow copying: the text is selected.";
  }
  button.nextElementSibling.textContent = said;
}

function selectTextOf(element) {
  const range = document.createRange();
  range.selectNodeContents(element);
  getSelection().removeAllRanges();
  getSelection().addRange(range);
}

// Ctrl+A (Cmd+A) in a file's box selects that file alone.
function selectFileOnly(event) {
  if ((event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === "a") {
    event.preventDefault();
    selectTextOf(event.currentTarget);
  }
}
