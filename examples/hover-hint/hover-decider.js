// @ts-check
// Polls zerlin-probe and decides when a hover feature should show. Kept free
// of the panel's DOM so that it reads the same on Windows and macOS and can
// be tried outside the host.
"use strict";

/** @typedef {import("zerlin-probe.uxpaddon").PointerReading} PointerReading */
/** @typedef {typeof import("zerlin-probe.uxpaddon")} Probe */
/** @typedef {{ok: true, reading: PointerReading} | {ok: false, message: string}} PointerResult */

/**
 * Tells a reading from an error value: only a reading has a boolean
 * `active`.
 * @param {unknown} answer
 * @returns {answer is PointerReading}
 */
function isReading(answer) {
  return typeof answer === "object" && answer !== null &&
      typeof (/** @type {{active?: unknown}} */ (answer)).active === "boolean";
}

/**
 * One line for whatever came back instead of a reading: the error value
 * (with its code), the macOS rejection text, or anything the host threw.
 * @param {unknown} failure
 */
function describeFailure(failure) {
  if (typeof failure === "string") return failure;
  if (typeof failure === "object" && failure !== null && "message" in failure) {
    const { message, code } = /** @type {{message: unknown, code?: unknown}} */ (failure);
    return code === undefined ? String(message) : `${message} (code ${code})`;
  }
  return String(failure);
}

/**
 * Samples the pointer once. Never throws: a failure comes back as a
 * message. On Windows the answer is at hand; on macOS it is a promise that
 * the host settles from its main thread, so this may stay pending for as
 * long as that thread is busy. Start no other call while it is pending.
 * @param {Probe} probe the addon's exports object
 * @returns {Promise<PointerResult>}
 */
async function readPointer(probe) {
  try {
    const answer = await probe.getPointer();
    return isReading(answer) ? { ok: true, reading: answer }
                             : { ok: false, message: describeFailure(answer) };
  } catch (failure) {
    return { ok: false, message: describeFailure(failure) };
  }
}

/**
 * Shows the hover once the pointer has rested, active, for `dwellMs`; hides
 * it as soon as the pointer turns inactive or moves away. "Rested" allows a
 * jitter of `slop` logical units, which is `slop * scale` in the reading's
 * own units (pixels on Windows, points on macOS where scale is 1).
 */
class HoverDecider {
  /** @param {{dwellMs?: number, slop?: number}} [options] */
  constructor({ dwellMs = 400, slop = 3 } = {}) {
    this.dwellMs = dwellMs;
    this.slop = slop;
    /** @type {{x: number, y: number, since: number} | null} */
    this.rest = null;
  }

  /**
   * @param {PointerReading | null} reading null when the read failed
   * @param {number} nowMs a monotonic clock, in milliseconds
   * @returns {{x: number, y: number} | null} where the hover rests, or null
   */
  update(reading, nowMs) {
    if (reading === null || !reading.active) {
      this.rest = null;
      return null;
    }
    const limit = this.slop * reading.scale;
    const rest = this.rest;
    if (rest === null || Math.abs(reading.x - rest.x) > limit ||
        Math.abs(reading.y - rest.y) > limit) {
      this.rest = { x: reading.x, y: reading.y, since: nowMs };
      return null;
    }
    return nowMs - rest.since >= this.dwellMs ? { x: rest.x, y: rest.y } : null;
  }
}

/** What `watchPointer` reports when an answer is late. */
const STALLED = "stalled: no answer from the pointer probe";

/**
 * Polls the probe every `intervalMs` until the returned function is called,
 * with never more than one call in flight: the next poll is scheduled only
 * after the previous answer arrived. When an answer takes longer than
 * `stallMs` (a busy or stuck main thread on macOS), "stalled" is reported
 * once and the watch keeps waiting for that same call; starting another
 * would only queue more work behind it. A failure is passed to `onReading`
 * as null and reported through `onError` once, until a reading succeeds
 * again.
 * @param {Probe} probe
 * @param {{intervalMs?: number, stallMs?: number,
 *          onReading: (reading: PointerReading | null) => void,
 *          onError?: (message: string) => void}} handlers
 * @returns {() => void} stops the polling
 */
function watchPointer(probe, { intervalMs = 100, stallMs = 1000, onReading,
                               onError = () => {} }) {
  let stopped = false;
  /** @type {string | null} */
  let lastError = null;
  /** @type {ReturnType<typeof setTimeout> | undefined} */
  let timer;
  /** @param {PointerResult} result */
  const report = (result) => {
    if (result.ok) {
      lastError = null;
      onReading(result.reading);
    } else {
      onReading(null);
      if (result.message !== lastError) onError(result.message);
      lastError = result.message;
    }
  };
  const poll = async () => {
    const pending = readPointer(probe);
    /** @type {ReturnType<typeof setTimeout> | undefined} */
    let bound;
    /** @type {Promise<null>} */
    const late = new Promise((resolve) => { bound = setTimeout(resolve, stallMs, null); });
    let result = await Promise.race([pending, late]);
    clearTimeout(bound);
    if (result === null) {
      if (stopped) return;
      report({ ok: false, message: STALLED });
      result = await pending;
    }
    if (stopped) return;
    report(result);
    // A handler may have stopped the watch.
    if (!stopped) timer = setTimeout(poll, intervalMs);
  };
  timer = setTimeout(poll, 0);
  return () => {
    stopped = true;
    clearTimeout(timer);
  };
}

module.exports = { isReading, readPointer, HoverDecider, watchPointer, STALLED };
