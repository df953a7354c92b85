// zerlin-probe's script companion: one way to read the pointer on both
// platforms. The library answers a reading or an error value at once on
// Windows, and a promise on macOS that may reject with a plain string or
// stay pending; these functions turn every one of those outcomes into a
// promise that resolves, within a bounded time, to a reading or a failure
// value, and never leave more than one call unanswered in the host.
//
// Plain ES2015 script: beyond the language it needs only setTimeout and
// clearTimeout, and it never loads the library itself. Pass it the object
// the host hands your script, so that it works unchanged in any bundler:
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
 * @typedef {import("zerlin-probe.uxpaddon").PointerReading} PointerReading
 * @typedef {import("./index").ReadFailure} ReadFailure
 * @typedef {import("./index").WatchFailure} WatchFailure
 * @typedef {(result: PointerReading | ReadFailure, reading: boolean) => void} Listener
 */

/**
 * Whether an answer is a reading: only a reading has a boolean `active`.
 * A value that throws when looked at is no reading.
 * @param {unknown} answer
 */
function isReading(answer) {
  try {
    return typeof answer === "object" && answer !== null &&
        typeof (/** @type {{active?: unknown}} */ (answer)).active === "boolean";
  } catch (_) {
    return false;
  }
}

/**
 * One line for a value, whatever it is; never throws.
 * @param {unknown} value
 */
function describe(value) {
  try {
    if (typeof value === "string") return value;
    if (typeof value === "object" && value !== null && "message" in value) {
      return String((/** @type {{message: unknown}} */ (value)).message);
    }
    return String(value);
  } catch (_) {
    return "a value that cannot be shown";
  }
}

/**
 * @template {WatchFailure["code"]} C
 * @param {C} code
 * @param {string} message
 * @param {unknown} [cause]
 * @returns {{code: C, message: string, cause?: unknown}}
 */
function failure(code, message, cause) {
  return arguments.length > 2 ? { code, message, cause } : { code, message };
}

/**
 * An option's value, or undefined when the options are absent or reading
 * it throws.
 * @param {unknown} options
 * @param {string} name
 */
function option(options, name) {
  try {
    return options === null || options === undefined ? undefined
        : (/** @type {Record<string, unknown>} */ (options))[name];
  } catch (_) {
    return undefined;
  }
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
 * What a settled answer means: the reading itself, the library's error
 * value, or neither. Never throws, whatever the answer does.
 * @param {unknown} settled
 * @returns {[PointerReading | ReadFailure, boolean]}
 */
function classify(settled) {
  try {
    if (isReading(settled)) return [/** @type {PointerReading} */ (settled), true];
    if (typeof settled === "object" && settled !== null && "message" in settled) {
      // The library's error value; its code is always "-1".
      return [failure("-1", describe(settled), settled), false];
    }
  } catch (_) {
    // An answer that throws when looked at is neither.
  }
  return [failure("invalid", `getPointer answered neither a reading nor an error value: ${
      describe(settled)}`, settled), false];
}

/**
 * One call of getPointer, handed to `done` once: the reading, or a failure
 * for the error value, a rejection, a throw (reading getPointer included)
 * or an answer that is neither. It may never come when the library's
 * promise stays pending.
 * @param {unknown} probe
 * @param {Listener} done
 */
function callProbe(probe, done) {
  let answer;
  try {
    const getPointer = typeof probe === "object" && probe !== null
        ? (/** @type {{getPointer?: unknown}} */ (probe)).getPointer : undefined;
    if (typeof getPointer !== "function") {
      Promise.resolve().then(() => done(failure(
          "invalid", "not the addon's exports object: it has no getPointer function"), false));
      return;
    }
    answer = getPointer.call(probe);
  } catch (thrown) {
    Promise.resolve().then(() => done(failure("thrown", describe(thrown), thrown), false));
    return;
  }
  // The executor's resolve adopts a promise or thenable and turns a `then`
  // that throws into a rejection; it never throws itself.
  new Promise((resolve) => resolve(answer)).then(
      (settled) => done(...classify(settled)),
      (reason) => done(failure("rejected", describe(reason), reason), false));
}

// The call each probe has unanswered in the host, with whoever waits for
// it. A read or watch that finds one joins it instead of calling again, so
// the host never holds more than one of the companion's calls per probe.
/** @type {WeakMap<object, Set<Listener>>} */
const unanswered = new WeakMap();

/**
 * Asks the probe for one answer, joining its unanswered call if it has
 * one; `listener` hears the answer unless `leave` removes it first.
 * @param {unknown} probe
 * @param {Listener} listener
 */
function ask(probe, listener) {
  if (Object(probe) !== probe) {
    callProbe(probe, listener);
    return;
  }
  const key = /** @type {object} */ (probe);
  const waiting = unanswered.get(key);
  if (waiting !== undefined) {
    waiting.add(listener);
    return;
  }
  const listeners = new Set([listener]);
  unanswered.set(key, listeners);
  callProbe(probe, (result, reading) => {
    unanswered.delete(key);
    listeners.forEach((each) => each(result, reading));
  });
}

/**
 * Stops `listener` from hearing the probe's unanswered call; the call
 * itself stays the probe's until it answers.
 * @param {unknown} probe
 * @param {Listener} listener
 */
function leave(probe, listener) {
  const waiting = Object(probe) === probe ? unanswered.get(/** @type {object} */ (probe))
                                          : undefined;
  if (waiting !== undefined) waiting.delete(listener);
}

/**
 * Reads the pointer once. The promise always resolves: to the reading, or
 * to a failure when the library answered its error value, rejected, threw,
 * or gave no answer within `timeoutMs` (1000 by default). A read that finds
 * the probe's previous call unanswered waits for that call instead of
 * making another.
 * @param {unknown} probe the addon's exports object
 * @param {{timeoutMs?: number | undefined}} [options]
 * @returns {Promise<PointerReading | ReadFailure>}
 */
function readPointer(probe, options) {
  const timeoutMs = delay(option(options, "timeoutMs"), READ_TIMEOUT_MS);
  return new Promise((resolve) => {
    /** @type {Listener} */
    const listener = (result) => {
      clearTimeout(timer);
      resolve(result);
    };
    const timer = setTimeout(() => {
      leave(probe, listener);
      resolve(failure("timeout", `no answer from getPointer within ${timeoutMs} ms`));
    }, timeoutMs);
    ask(probe, listener);
  });
}

/**
 * Polls the pointer until the returned function is called, with at most
 * one call unanswered: the next starts `intervalMs` after the previous one
 * answered. Each answer ends in one `onReading` (a reading) or `onError`
 * (a failure). A call still unanswered after `stallMs` is reported once
 * through `onStall`, and after `timeoutMs` once through `onError` as a
 * "timeout" failure; the watch keeps waiting for it either way. A handler
 * that throws is reported through `onError` as a "handler" failure; an
 * `onError` that throws, or a throw with no `onError` to hear it, is thrown
 * again from a timer of its own. Polling goes on after both. No handler
 * runs after the watch is stopped.
 * @param {unknown} probe the addon's exports object
 * @param {import("./index").WatchOptions<any>} options
 * @returns {() => void} stops the watch
 */
function watchPointer(probe, options) {
  const handlers = options;
  const intervalMs = delay(option(handlers, "intervalMs"), WATCH_INTERVAL_MS);
  const stallMs = delay(option(handlers, "stallMs"), WATCH_STALL_MS);
  const timeoutMs = delay(option(handlers, "timeoutMs"), WATCH_TIMEOUT_MS);
  let stopped = false;
  /** @type {ReturnType<typeof setTimeout>[]} */
  let timers = [];
  /** @type {Listener | null} */
  let listener = null;

  /** @param {unknown} thrown */
  const throwLater = (thrown) => {
    setTimeout(() => { throw thrown; }, 0);
  };

  /**
   * Runs a handler; false when there is none. Throws what it throws.
   * @param {"onReading" | "onError" | "onStall"} name
   * @param {unknown} value
   */
  const run = (name, value) => {
    const handler = option(handlers, name);
    if (typeof handler !== "function") return false;
    handler.call(handlers, value);
    return true;
  };

  /**
   * @param {"onReading" | "onError" | "onStall"} name
   * @param {unknown} value
   */
  const report = (name, value) => {
    if (stopped) return;
    try {
      run(name, value);
    } catch (thrown) {
      if (name === "onError" || stopped) {
        throwLater(thrown);
        return;
      }
      try {
        if (!run("onError", failure("handler", `${name} threw: ${describe(thrown)}`, thrown))) {
          throwLater(thrown);
        }
      } catch (alsoThrown) {
        throwLater(alsoThrown);
      }
    }
  };

  const poll = () => {
    /** @type {Listener} */
    const answered = (result, reading) => {
      listener = null;
      timers.forEach(clearTimeout);
      timers = [];
      report(reading ? "onReading" : "onError", result);
      // A handler may have stopped the watch.
      if (!stopped) timers = [setTimeout(poll, intervalMs)];
    };
    listener = answered;
    timers = [
      setTimeout(() => report("onStall", undefined), stallMs),
      setTimeout(() => report("onError", failure(
          "timeout", `no answer from getPointer within ${timeoutMs} ms; still waiting for it`)),
                 timeoutMs),
    ];
    ask(probe, answered);
  };

  timers = [setTimeout(poll, 0)];
  return () => {
    stopped = true;
    timers.forEach(clearTimeout);
    timers = [];
    if (listener !== null) leave(probe, listener);
    listener = null;
  };
}

module.exports = { isReading, readPointer, watchPointer };
