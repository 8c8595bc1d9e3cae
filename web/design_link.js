// A link that holds the design: every answer, accepted or refused, lives in
// the page's address after "#", kept up to date without adding history
// entries, and read back when the page is opened with one (from disk too).
"use strict";

// Each field by the name the module gives it for the address, the type and
// the firmware target.
function designLink(module) {
  const parts = module.fields.map(({ id, linkName }) =>
    `${linkName}=${encodeURIComponent(document.getElementById(id).value)}`);
  parts.splice(1, 0, `type=${document.querySelector("input[name=filter-type]:checked").value}`);
  parts.push(`target=${document.getElementById("target").value}`);
  parts.push(`name=${encodeURIComponent(document.getElementById("filter-name").value)}`);
  return "#" + parts.join("&");
}

function keepDesignInLink(module) {
  history.replaceState(null, "", designLink(module));
}

// Puts the answers of the address into the form, if it holds any. A value
// that cannot be decoded goes into its field as it stands, where the
// console's refusal says what is wrong with it; a filter type that cannot
// be read says so beside the type. Returns whether every value was read.
function readDesignFromLink(module) {
  let everyValueRead = true;
  for (const part of location.hash.length < 2 ? [] : location.hash.slice(1).split("&")) {
    const at = part.indexOf("=");
    const name = at < 0 ? part : part.slice(0, at);
    let value = part.slice(at + 1);
    try {
      value = decodeURIComponent(value);
    } catch (error) {
      everyValueRead = false;
    }
    const field = module.fields.find(({ linkName }) => linkName === name);
    if (field) document.getElementById(field.id).value = value;
    if (name === "name") document.getElementById("filter-name").value = value;
    if (name === "target") {
      const known = module.targets.some((target) => target.name === value);
      if (known) document.getElementById("target").value = value;
      else document.getElementById("target-refusal").textContent = "this link's value could not be read";
      everyValueRead = everyValueRead && known;
    }
    if (name !== "type") continue;
    const radio = /^[LHB]$/.test(value) && document.querySelector(`input[name=filter-type][value=${value}]`);
    if (radio) {
      radio.checked = true;
    } else {
      document.getElementById("filter-type-refusal").textContent = "this link's value could not be read";
      everyValueRead = false;
    }
  }
  return everyValueRead;
}

async function copyDesignLink() {
  const status = document.getElementById("link-status");
  try {
    await navigator.clipboard.writeText(location.href);
    status.textContent = "Copied.";
  } catch (error) {
    status.textContent = "The browser did not allow copying: the link is the page's address.";
  }
}
