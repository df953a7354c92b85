// zerlin-probe's script companion: one way to read the pointer on both
// platforms. The library answers a reading or an error value at once on
// Windows, and a promise on macOS that may reject with a plain string or
// stay pending; these functions turn every one of those outcomes into a
// promise that resolves, within a bounded time, to a reading or a failure
// value.
//
// Plain script: it needs only Promise, setTimeout and clearTimeout, and it
// never loads the library itself. Pass it the object the host hands your
// script, so that it works unchanged in any bundler:
//
//   const probe = require("zerlin-probe.uxpaddon");
//   const { readPointer, watchPointer } = require("zerlin-probe");
"use strict";

const READ_TIMEOUT_MS = 1000;
const WATCH_INTERVAL_MS = 100;
const WATCH_STALL_MS = 1000;
const WATCH_TIMEOUT_MS = 10000;
// setTimeout's largest delay; longer ones fire at once in some engines.
const LONGEST_MS = 2147483647;

/**
 * Whether an answer is a reading: only a reading has a boolean `active`.
 * @param {unknown} answer
 */
function isReading(answer) {
  return typeof answer === "object" && answer !== null &&
      typeof (/** @type {{active?: unknown}} */ (answer)).active === "boolean";
}

/** @param {unknown} value */
function describe(value) {
  if (typeof value === "string") return value;
  if (typeof value === "object" && value !== null && "message" in value) {
    return String((/** @type {{message: unknown}} */ (value)).message);
  }
  return String(value);
}

/**
 * @param {import("./index").ReadFailure["code"]} code
 * @param {string} message
 * @param {unknown} [cause]
 * @returns {import("./index").ReadFailure}
 */
function failure(code, message, cause) {
  return arguments.length > 2 ? { code, message, cause } : { code, message };
}

/**
 * A delay option in milliseconds: the default when absent or not a
 * non-negative number, and never more than setTimeout can wait.
 * @param {unknown} value
 * @param {number} fallback
 */
function delay(value, fallback) {
  if (typeof value !== "number" || !(value >= 0)) return fallback;
  return Math.min(value, LONGEST_MS);
}

/**
 * One call of getPointer, as a promise that always resolves: the reading,
 * or a failure for the error value, a rejection, a throw or an answer that
 * is neither. It may stay pending when the library's promise does.
 * @param {unknown} probe
 * @returns {Promise<import("zerlin-probe.uxpaddon").PointerReading | import("./index").ReadFailure>}
 */
function callProbe(probe) {
  const getPointer = typeof probe === "object" && probe !== null
      ? (/** @type {{getPointer?: unknown}} */ (probe)).getPointer : undefined;
  if (typeof getPointer !== "function") {
    return Promise.resolve(failure(
        "invalid", "not the addon's exports object: it has no getPointer function"));
  }
  let answer;
  try {
    answer = getPointer.call(probe);
  } catch (thrown) {
    return Promise.resolve(failure("thrown", describe(thrown), thrown));
  }
  return Promise.resolve(answer).then((settled) => {
    if (isReading(settled)) return settled;
    if (typeof settled === "object" && settled !== null && "message" in settled) {
      // The library's error value; its code is always "-1".
      return failure("-1", describe(settled), settled);
    }
    return failure("invalid", `getPointer answered neither a reading nor an error value: ${
        describe(settled)}`, settled);
  }, (reason) => failure("rejected", describe(reason), reason));
}

/**
 * Reads the pointer once. The promise always resolves: to the reading, or
 * to a failure when the library answered its error value, rejected, threw,
 * or gave no answer within `timeoutMs` (1000 by default).
 * @param {unknown} probe the addon's exports object
 * @param {{timeoutMs?: number}} [options]
 */
function readPointer(probe, options) {
  const timeoutMs = delay(options && options.timeoutMs, READ_TIMEOUT_MS);
  return new Promise((resolve) => {
    const timer = setTimeout(() => {
      resolve(failure("timeout", `no answer from getPointer within ${timeoutMs} ms`));
    }, timeoutMs);
    callProbe(probe).then((result) => {
      clearTimeout(timer);
      resolve(result);
    });
  });
}

/**
 * Polls the pointer until the returned function is called. One call is in
 * flight at a time: the next starts `intervalMs` after the previous one
 * ended. Each call ends in exactly one `onReading` (a reading) or `onError`
 * (a failure). A call still unanswered after `stallMs` is reported once
 * through `onStall` and waited for; one unanswered after `timeoutMs` ends
 * with a "timeout" failure, and the next call starts. A handler that
 * throws is reported through `onError` as a "handler" failure, and polling
 * goes on. No handler runs after the watch is stopped.
 * @param {unknown} probe the addon's exports object
 * @param {import("./index").WatchOptions<any>} options
 * @returns {() => void} stops the watch
 */
function watchPointer(probe, options) {
  const handlers = options || /** @type {import("./index").WatchOptions<any>} */ ({});
  const intervalMs = delay(handlers.intervalMs, WATCH_INTERVAL_MS);
  const stallMs = delay(handlers.stallMs, WATCH_STALL_MS);
  const timeoutMs = delay(handlers.timeoutMs, WATCH_TIMEOUT_MS);
  let stopped = false;
  /** @type {ReturnType<typeof setTimeout>[]} */
  let timers = [];

  /**
   * @param {"onReading" | "onError" | "onStall"} name
   * @param {unknown} value
   */
  const report = (name, value) => {
    const handler = /** @type {((value: unknown) => void) | undefined} */ (handlers[name]);
    if (stopped || typeof handler !== "function") return;
    try {
      handler.call(handlers, value);
    } catch (thrown) {
      // A throwing onError has nowhere left to report to.
      if (name !== "onError") {
        report("onError", failure("handler", `${name} threw: ${describe(thrown)}`, thrown));
      }
    }
  };

  const poll = () => {
    let ended = false;
    /** @param {import("zerlin-probe.uxpaddon").PointerReading | import("./index").ReadFailure} result */
    const end = (result) => {
      if (ended || stopped) return;
      ended = true;
      timers.forEach(clearTimeout);
      timers = [];
      report(isReading(result) ? "onReading" : "onError", result);
      // A handler may have stopped the watch.
      if (!stopped) timers = [setTimeout(poll, intervalMs)];
    };
    timers = [
      setTimeout(() => report("onStall", undefined), stallMs),
      setTimeout(() => end(failure("timeout", `no answer from getPointer within ${timeoutMs} ms`)),
                 timeoutMs),
    ];
    callProbe(probe).then(end);
  };

  timers = [setTimeout(poll, 0)];
  return () => {
    stopped = true;
    timers.forEach(clearTimeout);
    timers = [];
  };
}

module.exports = { isReading, readPointer, watchPointer };
