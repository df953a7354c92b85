// The companion against stand-in probes that answer the way each platform's
// library does, and the ways a call can fail or hang.
"use strict";

const assert = require("node:assert/strict");
const { test } = require("node:test");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");
const { readPointer, watchPointer } = require("./index.js");

const win = { active: true, scale: 1.5, x: -1920, y: 40 };
const mac = { active: false, scale: 1, viewClass: "NSTextView", x: 10.5, y: 20.25 };
const probeError = Object.assign(new Error("unknown exception"), { code: "-1" });
const never = () => new Promise(() => {});
const later = (ms, value) => new Promise((resolve) => setTimeout(resolve, ms, value));
const revoked = Proxy.revocable({}, {});
revoked.revoke();
const thrownBy = (action) => {
  try { action(); } catch (thrown) { return thrown; }
  return undefined;
};
const proxyThrown = thrownBy(() => revoked.proxy.getPointer);

// A probe whose n-th call answers `answer(n)`, and that counts how many of
// its promises were unanswered at once.
function fakeProbe(answer) {
  const probe = {
    calls: 0, unanswered: 0, mostUnanswered: 0,
    getPointer() {
      const result = answer(probe.calls++);
      if (result instanceof Promise) {
        probe.mostUnanswered = Math.max(probe.mostUnanswered, ++probe.unanswered);
        const answered = () => { probe.unanswered--; };
        result.then(answered, answered);
      }
      return result;
    },
  };
  return probe;
}

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
    ["reading getPointer throws", { get getPointer() { throw thrown; } },
     { code: "thrown", message: "not a function", cause: thrown }],
    ["a revoked proxy", revoked.proxy,
     { code: "thrown", message: proxyThrown.message, cause: proxyThrown }],
    ["answers a revoked proxy", { getPointer: () => revoked.proxy },
     { code: "rejected", message: proxyThrown.message, cause: proxyThrown }],
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
  const badOptions = { get timeoutMs() { throw thrown; } };
  assert.deepEqual(await readPointer({ getPointer: () => win }, badOptions), win);
});

test("reads and watches keep at most one call unanswered per probe", { timeout: 10000 },
     async () => {
  // A loop of reads against a host that never answers makes one call.
  const silent = fakeProbe(never);
  for (let i = 0; i < 3; i++) {
    assert.equal((await readPointer(silent, { timeoutMs: 5 })).code, "timeout");
  }
  assert.equal(silent.calls, 1);

  // Reads side by side, and a watch, join the call that is unanswered,
  // each within its own timeout.
  const slow = fakeProbe((n) => (n === 0 ? later(80, mac) : win));
  const watched = [];
  const stop = watchPointer(slow, {
    stallMs: 1e6, onReading: (reading) => watched.push(reading), onError: () => {},
  });
  const reads = await Promise.all([readPointer(slow, { timeoutMs: 20 }),
                                   readPointer(slow, { timeoutMs: 5000 })]);
  stop();
  assert.deepEqual(reads, [{ code: "timeout", message: "no answer from getPointer within 20 ms" },
                           mac]);
  assert.deepEqual(watched, [mac]);
  assert.equal(slow.calls, 1);
  assert.equal(slow.mostUnanswered + silent.mostUnanswered, 2);
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
      onError: (failure) => errors.push(`${failure.code}: ${failure.message}`),
    });
  });
  assert.equal(calls, 4);
  assert.deepEqual(seen, [win, win, win]);
  assert.deepEqual(errors, ["handler: onReading threw: the panel is gone",
                            "-1: unknown exception"]);
});

test("watchPointer reports every failure, waits for late calls, never throws",
     { timeout: 10000 }, async () => {
  // name, probe, events to wait for, then how long the watch runs on
  const cases = [
    ["a revoked proxy", () => revoked.proxy, 2, 0,
     [`thrown: ${proxyThrown.message}`, `thrown: ${proxyThrown.message}`]],
    ["an answer after timeoutMs", () => fakeProbe((n) => (n === 0 ? later(60, mac) : win)), 4, 0,
     ["stall", "timeout: no answer from getPointer within 20 ms; still waiting for it",
      "reading NSTextView", "reading undefined"]],
    ["no answer ever", () => fakeProbe(never), 2, 60,
     ["stall", "timeout: no answer from getPointer within 20 ms; still waiting for it"]],
  ];
  for (const [name, makeProbe, count, runOnMs, expected] of cases) {
    const probe = makeProbe();
    const events = [];
    await new Promise((done) => {
      const note = (event) => {
        events.push(event);
        if (events.length === count) setTimeout(() => { stop(); done(); }, runOnMs);
      };
      const stop = watchPointer(probe, {
        intervalMs: 1, stallMs: 5, timeoutMs: 20,
        onStall: () => note("stall"),
        onError: (failure) => note(`${failure.code}: ${failure.message}`),
        onReading: (reading) => note(`reading ${reading.viewClass}`),
      });
    });
    assert.deepEqual(events, expected, name);
    if (name !== "a revoked proxy") assert.equal(probe.mostUnanswered, 1, name);
  }
});

test("the companion needs only two timers; a throwing onError is thrown again",
     { timeout: 10000 }, async () => {
  // Loaded with nothing but setTimeout and clearTimeout, whose callbacks'
  // throws are kept here instead of ending the test.
  const uncaught = [];
  let heardAll = () => {};
  const context = {
    setTimeout: (callback, ms, ...args) => setTimeout(() => {
      try {
        callback(...args);
      } catch (thrown) {
        if (uncaught.push(thrown) === 3) heardAll();
      }
    }, ms),
    clearTimeout,
  };
  const source = fs.readFileSync(path.join(__dirname, "index.js"), "utf8");
  const module = { exports: {} };
  vm.runInNewContext(`(function (module) {${source}\n})`, context)(module);
  const companion = module.exports;

  assert.equal(await companion.readPointer({ getPointer: () => win }), win);
  const answers = [probeError, win, win];
  let calls = 0;
  const readings = [];
  await new Promise((done) => {
    heardAll = done;
    const stop = companion.watchPointer({ getPointer: () => answers[calls++] }, {
      intervalMs: 1,
      onError: () => { throw new Error("the log is gone"); },
      onReading: (reading) => {
        readings.push(reading);
        if (readings.length === 2) stop();
        throw new Error(`the panel is gone after ${readings.length}`);
      },
    });
  });
  assert.deepEqual(readings, [win, win]);
  // The first reading's throw went to onError, whose throw is the one heard.
  assert.deepEqual(uncaught.map((thrown) => thrown.message),
                   ["the log is gone", "the log is gone", "the panel is gone after 2"]);
});
