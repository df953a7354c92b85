// @ts-check
// Decides when a hover feature should show. A reading is one sample: it
// says where the pointer is and whether it is active now, not whether it
// has rested. So this compares readings over time. Kept free of the panel's
// DOM so that it reads the same on Windows and macOS and can be tried
// outside the host.
"use strict";

/** @typedef {import("zerlin-probe.uxpaddon").PointerReading} PointerReading */

/**
 * Shows the hover once the pointer has stayed, active, for `dwellMs`; hides
 * it as soon as the pointer turns inactive, moves away or cannot be read.
 * "Stayed" allows a jitter of `slop` logical units. A distance between two
 * readings is in the readings' own units, physical pixels on Windows and
 * points on macOS; times `scale` (the display's on Windows, 1 on macOS)
 * makes a logical distance into those units. That holds for a distance on
 * one display, never for a position (see the README's "Logical
 * coordinates").
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
   * @returns {{x: number, y: number} | null} where the hover rests, in the
   *     reading's units, or null
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

module.exports = { HoverDecider };
