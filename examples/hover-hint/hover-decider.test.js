// The example's polling and hover logic against stand-in probes that answer
// the way each platform's library does.
"use strict";

const assert = require("node:assert/strict");
const { test } = require("node:test");
const { readPointer, HoverDecider, watchPointer, STALLED } = require("./hover-decider.js");

const win = { x: -1920, y: 40, scale: 1.5, active: true };
const mac = { x: 10.5, y: 20.25, scale: 1, active: false, viewClass: "NSTextView" };
const probeError = Object.assign(new Error("unknown exception"), { code: "-1" });

test("readPointer turns every answer into a reading or a message", async () => {
  const cases = [
    ["Windows reading", () => win, { ok: true, reading: win }],
    ["macOS reading", () => Promise.resolve(mac), { ok: true, reading: mac }],
    ["error value", () => probeError, { ok: false, message: "unknown exception (code -1)" }],
    ["macOS rejection", () => Promise.reject("Unable to read the pointer"),
     { ok: false, message: "Unable to read the pointer" }],
    ["host throws", () => { throw new TypeError("not a function"); },
     { ok: false, message: "not a function" }],
  ];
  for (const [name, getPointer, expected] of cases) {
    assert.deepEqual(await readPointer({ getPointer }), expected, name);
  }
});

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

test("watchPointer reports each run of failures once and stops", async () => {
  const answers = [probeError, probeError, win, "Unable to read the pointer", win];
  const seen = [];
  const errors = [];
  let calls = 0;
  await new Promise((done) => {
    const stop = watchPointer({
      getPointer: () => {
        const answer = answers[calls++];
        return typeof answer === "string" ? Promise.reject(answer) : answer;
      },
    }, {
      intervalMs: 1,
      onReading: (reading) => {
        seen.push(reading);
        if (seen.length === answers.length) { stop(); setTimeout(done, 20); }
      },
      onError: (message) => errors.push(message),
    });
  });
  assert.equal(calls, answers.length);
  assert.deepEqual(seen, [null, null, win, null, win]);
  assert.deepEqual(errors, ["unknown exception (code -1)", "Unable to read the pointer"]);
});

// Each wait below ends on an event; the test's timeout is their limit.
test("watchPointer keeps one call in flight and reports a stall once", { timeout: 10000 },
     async () => {
  const settle = [];
  const errors = [];
  const seen = [];
  let calls = 0;
  let stop = () => {};
  // The first answer is late; the watch waits for it, then polls again.
  await new Promise((done) => {
    stop = watchPointer({
      getPointer: () => {
        calls++;
        return calls === 1 ? new Promise((resolve) => settle.push(resolve)) : win;
      },
    }, {
      intervalMs: 1,
      stallMs: 5,
      onReading: (reading) => {
        seen.push(reading);
        if (seen.length === 3) done(undefined);
      },
      onError: (message) => {
        errors.push(message);
        // Several more bounds pass with the call still pending.
        setTimeout(() => settle[0](mac), 50);
      },
    });
  });
  stop();
  assert.deepEqual(errors, [STALLED]);
  assert.deepEqual(seen, [null, mac, win]);
  assert.equal(calls, 2);

  // A probe that never answers is called once, however long the watch runs.
  calls = 0;
  errors.length = 0;
  await new Promise((done) => {
    stop = watchPointer({ getPointer: () => { calls++; return new Promise(() => {}); } }, {
      intervalMs: 1,
      stallMs: 5,
      onReading: () => {},
      onError: (message) => {
        errors.push(message);
        setTimeout(done, 50);
      },
    });
  });
  stop();
  assert.equal(calls, 1);
  assert.deepEqual(errors, [STALLED]);
});
