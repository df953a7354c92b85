// @ts-check
// The panel script of the hover-hint example: while the pointer stays over
// the host's document, a hint in the panel says where, and on macOS over
// which view. Anywhere else (a control, another application, a dialog, a
// held button) the hint hides.
//
// It requires the package's companion, "zerlin-probe": bundle it with the
// plug-in (leaving "zerlin-probe.uxpaddon" external, for the host to
// answer), or copy node_modules/zerlin-probe/lib/index.js beside this file
// and require that instead.
"use strict";

const { watchPointer } = require("zerlin-probe");
const { HoverDecider } = require("./hover-decider.js");

const hint = /** @type {HTMLElement} */ (document.getElementById("hint"));
const status = /** @type {HTMLElement} */ (document.getElementById("status"));

/** @type {typeof import("zerlin-probe.uxpaddon") | null} */
let probe = null;
try {
  // The host loads the library that ships beside the plug-in's code.
  probe = require("zerlin-probe.uxpaddon");
} catch (failure) {
  status.textContent = `The pointer addon did not load: ${failure}`;
}

if (probe !== null) {
  const decider = new HoverDecider({ dwellMs: 400, slop: 3 });
  // One call in flight; a late answer is waited for, a failure or a
  // throwing handler reported, and polling goes on.
  const stop = watchPointer(probe, {
    intervalMs: 100,
    onReading(reading) {
      status.textContent = "Rest the pointer over the document.";
      const spot = decider.update(reading, performance.now());
      hint.hidden = spot === null;
      if (spot === null) return;
      // The reading's own units: physical pixels of the whole desktop on
      // Windows, points on macOS. Dividing by scale would not give logical
      // units on a desktop whose displays differ in scale.
      const where = `${Math.round(spot.x)}, ${Math.round(spot.y)} ` +
          (reading.viewClass === undefined ? "px" : "pt");
      hint.textContent = reading.viewClass
          ? `Resting at ${where} over ${reading.viewClass}`
          : `Resting at ${where}`;
    },
    onError(failure) {
      decider.update(null, performance.now());
      hint.hidden = true;
      status.textContent = `Pointer unavailable: ${failure.message}`;
    },
    onStall() {
      status.textContent = "Waiting for the host to answer...";
    },
  });
  window.addEventListener("unload", stop);
}
