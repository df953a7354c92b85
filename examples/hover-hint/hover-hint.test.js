// The example's hover decision over sequences of readings.
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
