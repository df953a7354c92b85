// The example: its hover decision over sequences of readings, and its
// panel driven by the companion's watch.
"use strict";

const assert = require("node:assert/strict");
const { test } = require("node:test");
const { HoverDecider } = require("./hover-decider.js");

test("the hover shows after a still, active rest and hides at once", () => {
  const hover = new HoverDecider({ dwellMs: 400, slop: 3 });
  const at = (x, y, active = true, scale = 1) => ({ x, y, scale, active });
  const steps = [
    [at(100, 100), 0, null],
    [at(102, 97), 399, null],                 // jitter within the slop
    [at(102, 97), 400, { x: 100, y: 100 }],   // rested long enough
    [at(104, 100), 500, null],                // moved past the slop: restart
    [at(104, 100), 900, { x: 104, y: 100 }],
    [at(104, 100, false), 901, null],         // inactive hides at once
    [at(104, 100), 902, null],                // and the rest starts anew
    [null, 1400, null],                       // a failed read hides too
    [at(0, 0, true, 2), 1500, null],
    [at(6, -6, true, 2), 1900, { x: 0, y: 0 }],  // slop is in logical units
  ];
  for (const [reading, now, expected] of steps) {
    assert.deepEqual(hover.update(reading, now), expected, `at ${now} ms`);
  }
});

test("the panel follows the watch: a rest, a failure, a host that is slow",
     { timeout: 10000 }, async () => {
  const { watchPointer } = require("../../lib/index.js");
  const { startHoverHint } = require("./hover-panel.js");
  const rest = { active: true, scale: 1, viewClass: "NSView", x: 10, y: 20 };
  const answers = [rest, rest, rest, rest, rest, { code: "-1", message: "unknown exception" },
                   new Promise(() => {})];
  // Each call notes the hint that the answers before it left; the clock
  // moves 100 ms a call. The status lines are kept as they are set.
  const hints = [];
  const statuses = [];
  const hint = { hidden: true, textContent: "" };
  let calls = 0;
  const probe = {
    getPointer: () => {
      hints.push(hint.hidden ? "hidden" : hint.textContent);
      return answers[calls++];
    },
  };
  await new Promise((done) => {
    const status = {
      hidden: false,
      set textContent(text) {
        statuses.push(text);
        if (text.startsWith("Waiting")) { stop(); done(); }
      },
    };
    const stop = startHoverHint(probe, { hint, status },
                                { watchPointer, now: () => calls * 100, intervalMs: 1, stallMs: 5 });
  });
  assert.deepEqual(hints, [...Array(5).fill("hidden"), "Resting at 10, 20 pt over NSView", "hidden"]);
  assert.deepEqual(statuses, [...Array(5).fill("Rest the pointer over the document."),
                              "Pointer unavailable: unknown exception",
                              "Waiting for the host to answer..."]);
});
