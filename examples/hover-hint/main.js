// @ts-check
// The panel script of the hover-hint example, and the entry point of its
// bundle: `npm run build` writes dist/main.js, which index.html loads. The
// bundle carries the package's companion, "zerlin-probe", and leaves
// "zerlin-probe.uxpaddon" to the host, which loads the library that ships
// beside the plug-in's code.
"use strict";

const { watchPointer } = require("zerlin-probe");
const { startHoverHint } = require("./hover-panel.js");

const hint = /** @type {HTMLElement} */ (document.getElementById("hint"));
const status = /** @type {HTMLElement} */ (document.getElementById("status"));

/** @type {typeof import("zerlin-probe.uxpaddon") | null} */
let probe = null;
try {
  probe = require("zerlin-probe.uxpaddon");
} catch (failure) {
  status.textContent = `The pointer addon did not load: ${failure}`;
}

if (probe !== null) {
  const stop = startHoverHint(probe, { hint, status },
                              { watchPointer, now: () => performance.now() });
  window.addEventListener("unload", stop);
}
