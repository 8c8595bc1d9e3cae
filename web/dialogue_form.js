// The dialogue as a form: one field a question, labelled with the console's
// prompt, shown for the chosen filter type only, with the console's refusal
// beside a field it refuses.
"use strict";

// The form's state into the module: every field's text, the filter type
// and the firmware target.
function readForm(module) {
  module.fields.forEach(({ id }, field) => module.setField(field, document.getElementById(id).value));
  module.setFilterType(document.querySelector("input[name=filter-type]:checked").value);
  module.setTarget(document.getElementById("target").value);
  const name = document.getElementById("filter-name");
  const named = module.setFilterName(name.value);
  name.setAttribute("aria-invalid", named ? "false" : "true");
  document.getElementById("filter-name-refusal").textContent = named ? "" : module.filterNameRefusal();
}

// The chosen target, with the words for what its table holds.
function chosenTarget(module) {
  return module.targets.find(({ name }) => name === document.getElementById("target").value);
}

// Labels every field with its question, as the console asks it.
function labelForm(module) {
  module.fields.forEach(({ id }, field) => {
    document.querySelector(`label[for=${id}]`).textContent = module.prompt(field).trimEnd();
  });
}

// Shows each field as the module judged it; a refused field is marked
// invalid for assistive technology, its refusal being its description.
function showFieldStates(module) {
  module.fields.forEach(({ id }, field) => {
    const input = document.getElementById(id);
    const question = input.closest(".question");
    const state = module.fieldState(field);
    question.hidden = state === "unasked";
    question.dataset.state = state;
    input.setAttribute("aria-invalid", state === "refused" ? "true" : "false");
    question.querySelector(".refusal").textContent =
      state === "refused" ? module.fieldMessage(field)
      : state === "waiting" ? "(waits for an earlier answer)" : "";
  });
}

// The refusals now shown, one sentence each, for the status line.
function refusalsShown(module) {
  const refusals = module.fields.map((unused, field) => module.fieldState(field) === "refused" ? module.fieldMessage(field) : null)
    .filter((message) => message !== null);
  const typeRefusal = document.getElementById("filter-type-refusal").textContent;
  const nameRefusal = document.getElementById("filter-name-refusal").textContent;
  return [typeRefusal, ...refusals, nameRefusal].filter((message) => message !== "");
}

// L, H and B choose the filter type, as at the console's menu, while the
// focus is in the filter-type group or on the page itself, but not where it
// fell to the page because its control went away (a button hidden or
// disabled), and never with Ctrl, Alt or Meta held (those are the
// browser's and the system's keys).
let lastFocused = null;
document.addEventListener("focusin", (event) => { lastFocused = event.target; });
document.addEventListener("pointerdown", () => { lastFocused = null; });

function focusFellToPage() {
  return lastFocused !== null && (lastFocused.disabled || lastFocused.getClientRects().length === 0);
}

function chooseTypeByKey(event, changed) {
  if (event.ctrlKey || event.altKey || event.metaKey || !/^[lhbLHB]$/.test(event.key)) return;
  const target = event.target;
  const inTypeGroup = target instanceof Element && target.closest("#filter-type") !== null;
  const onPage = target === document.body || target === document.documentElement;
  if (!inTypeGroup && !(onPage && !focusFellToPage())) return;
  document.querySelector(`input[name=filter-type][value=${event.key.toUpperCase()}]`).checked = true;
  event.preventDefault();
  changed();
}

// The text fields in the console's order of questions for a filter type.
function questionsInOrder(key) {
  const edges = key === "B" ? ["lower-cutoff", "upper-cutoff"] : ["cutoff"];
  return ["sample-rate", "menu", ...edges, "attenuation", "coefficient-count"];
}

// A paste of several lines into a field spreads them over that question and
// the ones after it, as the console takes such a paste: the menu's line
// chooses the filter type (and with it the questions that follow); a menu
// line the console would refuse stops there, with the console's refusal.
function spreadPaste(event, module, changed) {
  const text = event.clipboardData ? event.clipboardData.getData("text") : "";
  const lines = text.split(/\r\n|\r|\n/);
  if (lines.length > 1 && lines[lines.length - 1] === "") lines.pop();
  let key = document.querySelector("input[name=filter-type]:checked").value;
  let order = questionsInOrder(key);
  let at = order.indexOf(event.target.id);
  if (lines.length < 2 || at < 0) return;
  event.preventDefault();
  const refusal = document.getElementById("filter-type-refusal");
  refusal.textContent = "";
  for (const line of lines) {
    if (at >= order.length) break;
    if (order[at] === "menu") {
      const chosen = module.menuLineKey(line);
      if (chosen === null) {
        refusal.textContent = module.filterTypeRefusal();
        break;
      }
      key = chosen.toUpperCase();
      document.querySelector(`input[name=filter-type][value=${key}]`).checked = true;
      order = questionsInOrder(key);
    } else {
      document.getElementById(order[at]).value = line;
    }
    at++;
  }
  changed();
}
