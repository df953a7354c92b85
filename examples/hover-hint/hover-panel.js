// @ts-check
// What the hover-hint panel shows, driven by a watch of the pointer: while
// the pointer rests, active, over the host's document, the hint says where,
// and on macOS over which view. Anywhere else (a control, another
// application, a dialog, a held button) the hint hides. Kept free of the
// DOM so that it can be tried outside the host.
"use strict";

const { HoverDecider } = require("./hover-decider.js");

/** @typedef {{hidden: boolean, textContent: string | null}} Line */

/**
 * Watches the pointer and keeps the panel's two lines up to date until the
 * returned function is called. The companion's `watchPointer` is passed in,
 * as are the clock and the timings, so that the same code runs in the
 * panel and in the example's test.
 * @param {import("zerlin-probe.uxpaddon").Probe} probe the addon's exports object
 * @param {{hint: Line, status: Line}} panel
 * @param {{watchPointer: typeof import("zerlin-probe").watchPointer, now: () => number,
 *          intervalMs?: number, stallMs?: number}} using
 * @returns {() => void} stops the watch
 */
function startHoverHint(probe, { hint, status },
                        { watchPointer, now, intervalMs = 100, stallMs = 1000 }) {
  const decider = new HoverDecider({ dwellMs: 400, slop: 3 });
  // One call unanswered at most; a late answer is waited for, a failure or
  // a throwing handler reported, and polling goes on.
  return watchPointer(probe, {
    intervalMs,
    stallMs,
    onReading(reading) {
      status.textContent = "Rest the pointer over the document.";
      const spot = decider.update(reading, now());
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
      decider.update(null, now());
      hint.hidden = true;
      status.textContent = `Pointer unavailable: ${failure.message}`;
    },
    onStall() {
      status.textContent = "Waiting for the host to answer...";
    },
  });
}

module.exports = { startHoverHint };
