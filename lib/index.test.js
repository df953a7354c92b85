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
const proxyThrown = (() => { try { return revoked.proxy.getPointer; } catch (e) { return e; } })();
// A probe whose n-th call answers `answer(n)`, counting its calls.
const counted = (answer) => {
  const probe = { calls: 0, getPointer: () => answer(probe.calls++) };
  return probe;
};

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
  const silent = counted(never);
  for (let i = 0; i < 3; i++) {
    assert.equal((await readPointer(silent, { timeoutMs: 5 })).code, "timeout");
  }
  assert.equal(silent.calls, 1);

  // Reads side by side, and a watch, join the call that is unanswered,
  // each within its own timeout.
  const slow = counted((n) => (n === 0 ? later(80, mac) : win));
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
});

// Each wait below ends on an event; the test's timeout is their limit.
test("watchPointer goes on polling after throwing handlers, and stops; onError's throws surface",
     { timeout: 10000 }, async () => {
  // The companion with nothing but setTimeout and clearTimeout, whose
  // callbacks' throws are kept here instead of ending the test.
  const uncaught = [];
  let heardAll = () => {};
  const context = {
    setTimeout: (callback, ms, ...args) => setTimeout(() => {
      try { callback(...args); } catch (thrown) { if (uncaught.push(thrown) === 2) heardAll(); }
    }, ms),
    clearTimeout,
  };
  const source = fs.readFileSync(path.join(__dirname, "index.js"), "utf8");
  const companion = { exports: {} };
  vm.runInNewContext(`(function (module) {${source}\n})`, context)(companion);

  const answers = [win, probeError, win, win];
  const seen = [];
  const errors = [];
  let calls = 0;
  await new Promise((done) => {
    heardAll = () => setTimeout(done, 20);  // time enough for a call that should not come
    const stop = companion.exports.watchPointer({ getPointer: () => answers[calls++] }, {
      intervalMs: 1,
      onReading: (reading) => {
        seen.push(reading);
        if (seen.length === 1) throw new Error("the panel is gone");
        if (seen.length === 3) {
          stop();
          throw new Error("and no one hears it");
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
  assert.deepEqual(uncaught.map((thrown) => thrown.message),
                   ["and so is the log", "and no one hears it"]);
});

test("watchPointer reports every failure, waits for late calls, never throws",
     { timeout: 10000 }, async () => {
  // name, probe, calls made, how long the watch runs on after the events
  const cases = [
    ["a revoked proxy", () => revoked.proxy, undefined, 0,
     [`thrown: ${proxyThrown.message}`, `thrown: ${proxyThrown.message}`]],
    ["an answer after timeoutMs", () => counted((n) => (n === 0 ? later(60, mac) : win)), 2, 0,
     ["stall", "timeout: no answer from getPointer within 20 ms; still waiting for it",
      "reading NSTextView", "reading undefined"]],
    ["no answer ever", () => counted(never), 1, 60,
     ["stall", "timeout: no answer from getPointer within 20 ms; still waiting for it"]],
  ];
  for (const [name, makeProbe, calls, runOnMs, expected] of cases) {
    const probe = makeProbe();
    const events = [];
    await new Promise((done) => {
      const note = (event) => {
        events.push(event);
        if (events.length === expected.length) setTimeout(() => { stop(); done(); }, runOnMs);
      };
      const stop = watchPointer(probe, {
        intervalMs: 1, stallMs: 5, timeoutMs: 20,
        onStall: () => note("stall"),
        onError: (failure) => note(`${failure.code}: ${failure.message}`),
        onReading: (reading) => note(`reading ${reading.viewClass}`),
      });
    });
    assert.deepEqual(events, expected, name);
    if (calls !== undefined) assert.equal(probe.calls, calls, name);
  }
});
