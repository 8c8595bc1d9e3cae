// The dialogue as a form: one field a question, labelled with the console's
// prompt, shown for the chosen filter type only, with the console's refusal
// beside a field it refuses.
"use strict";

// The form's state into the module: every field's text and the filter type.
function readForm(module) {
  FIELDS.forEach((id, field) => module.setField(field, document.getElementById(id).value));
  module.setFilterType(document.querySelector("input[name=filter-type]:checked").value);
}

// Labels every field with its question, as the console asks it.
function labelForm(module) {
  FIELDS.forEach((id, field) => {
    document.querySelector(`label[for=${id}]`).textContent = module.prompt(field).trimEnd();
  });
}

// Shows each field as the module judged it.
function showFieldStates(module) {
  FIELDS.forEach((id, field) => {
    const question = document.getElementById(id).closest(".question");
    const state = module.fieldState(field);
    question.hidden = state === "unasked";
    question.dataset.state = state;
    question.querySelector(".refusal").textContent =
      state === "refused" ? module.fieldMessage(field)
      : state === "waiting" ? "(waits for an earlier answer)" : "";
  });
}

// L, H and B choose the filter type, as at the console's menu, while the
// focus is not in a text field.
function chooseTypeByKey(event, changed) {
  if (event.target instanceof HTMLInputElement && event.target.type === "text") return;
  const radio = document.querySelector(`input[name=filter-type][value=${event.key.toUpperCase()}]`);
  if (event.key.length === 1 && radio !== null) {
    radio.checked = true;
    changed();
  }
}
