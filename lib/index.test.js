// The companion against stand-in probes that answer the way each platform's
// library does, and the ways a call can fail or hang.
"use strict";

const assert = require("node:assert/strict");
const { test } = require("node:test");
const { readPointer, watchPointer } = require("./index.js");

const win = { active: true, scale: 1.5, x: -1920, y: 40 };
const mac = { active: false, scale: 1, viewClass: "NSTextView", x: 10.5, y: 20.25 };
const probeError = Object.assign(new Error("unknown exception"), { code: "-1" });
const never = () => new Promise(() => {});

test("readPointer resolves every outcome to a reading or a failure", async () => {
  const thrown = new TypeError("not a function");
  const cases = [
    ["Windows reading", { getPointer: () => win }, win],
    ["macOS reading", { getPointer: () => Promise.resolve(mac) }, mac],
    ["error value", { getPointer: () => probeError },
     { code: "-1", message: "unknown exception", cause: probeError }],
    ["macOS rejection", { getPointer: () => Promise.reject("Unable to read the pointer") },
     { code: "rejected", message: "Unable to read the pointer", cause: "Unable to read the pointer" }],
    ["getPointer throws", { getPointer: () => { throw thrown; } },
     { code: "thrown", message: "not a function", cause: thrown }],
    ["pending", { getPointer: never },
     { code: "timeout", message: "no answer from getPointer within 20 ms" }],
    ["not a probe", {},
     { code: "invalid", message: "not the addon's exports object: it has no getPointer function" }],
    ["neither answer", { getPointer: () => 7 },
     { code: "invalid", message: "getPointer answered neither a reading nor an error value: 7",
       cause: 7 }],
  ];
  for (const [name, probe, expected] of cases) {
    assert.deepEqual(await readPointer(probe, { timeoutMs: 20 }), expected, name);
  }
});

// Each wait below ends on an event; the test's timeout is their limit.
test("watchPointer goes on polling after throwing handlers, and stops", { timeout: 10000 },
     async () => {
  const answers = [win, probeError, win, win];
  const seen = [];
  const errors = [];
  let calls = 0;
  await new Promise((done) => {
    const stop = watchPointer({ getPointer: () => answers[calls++] }, {
      intervalMs: 1,
      onReading: (reading) => {
        seen.push(reading);
        if (seen.length === 1) throw new Error("the panel is gone");
        if (seen.length === 3) {
          stop();
          setTimeout(done, 20);  // time enough for a call that should not come
        }
      },
      onError: (failure) => {
        errors.push(`${failure.code}: ${failure.message}`);
        if (failure.code === "-1") throw new Error("and so is the log");
      },
    });
  });
  assert.equal(calls, 4);
  assert.deepEqual(seen, [win, win, win]);
  assert.deepEqual(errors, ["handler: onReading threw: the panel is gone",
                            "-1: unknown exception"]);
});

test("watchPointer keeps one call in flight, reports a stall once, gives up late calls",
     { timeout: 10000 }, async () => {
  // The first call answers late: one stall, no second call until it answers.
  let settle = () => {};
  let calls = 0;
  const events = [];
  await new Promise((done) => {
    const stop = watchPointer({
      getPointer: () => {
        calls++;
        return calls === 1 ? new Promise((resolve) => { settle = resolve; }) : win;
      },
    }, {
      intervalMs: 1,
      stallMs: 5,
      onStall: () => {
        events.push(`stall after ${calls} call`);
        setTimeout(() => settle(mac), 50);  // several stall bounds later
        throw new Error("the status line is gone");
      },
      onError: (failure) => events.push(failure.code),
      onReading: (reading) => {
        events.push(reading === mac ? "mac" : "win");
        if (reading === win) { stop(); done(); }
      },
    });
  });
  assert.deepEqual(events, ["stall after 1 call", "handler", "mac", "win"]);

  // A call that never answers is given up after timeoutMs, and the next starts.
  calls = 0;
  events.length = 0;
  await new Promise((done) => {
    const stop = watchPointer({ getPointer: () => { calls++; return never(); } }, {
      intervalMs: 1,
      stallMs: 5,
      timeoutMs: 60,
      onStall: () => events.push(`stall after ${calls} call`),
      onError: (failure) => {
        events.push(failure.code);
        if (events.length === 4) { stop(); done(); }
      },
    });
  });
  assert.deepEqual(events, ["stall after 1 call", "timeout", "stall after 2 call", "timeout"]);
});
