// @ts-check
// The panel script of the hover-hint example: while the pointer rests over
// the host's document, a hint in the panel says where, and on macOS over
// which view. Anywhere else (a control, another application, a dialog, a
// held button) the hint hides.
"use strict";

const { HoverDecider, watchPointer } = require("./hover-decider.js");

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
  const stop = watchPointer(probe, {
    intervalMs: 100,
    onReading(reading) {
      if (reading !== null) status.textContent = "Rest the pointer over the document.";
      const spot = decider.update(reading, performance.now());
      hint.hidden = spot === null;
      if (spot === null || reading === null) return;
      // Pixels on Windows, points on macOS; scale turns pixels into the
      // logical units the rest of the host's interface uses.
      const x = Math.round(spot.x / reading.scale);
      const y = Math.round(spot.y / reading.scale);
      hint.textContent = reading.viewClass
          ? `Resting at ${x}, ${y} over ${reading.viewClass}`
          : `Resting at ${x}, ${y}`;
    },
    onError(message) {
      status.textContent = `Pointer unavailable: ${message}`;
    },
  });
  window.addEventListener("unload", stop);
}
