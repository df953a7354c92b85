// Typings for zerlin-probe's script companion, the package's main module.
// They also bring in the typings of the library itself, the module
// "zerlin-probe.uxpaddon".
/// <reference path="../types/zerlin-probe.d.ts" />

import type {
  MacPointerReading,
  MacProbe,
  PointerReading,
  WindowsPointerReading,
  WindowsProbe,
} from "zerlin-probe.uxpaddon";

/**
 * The reading that a probe of type `P` gives: a `WindowsPointerReading` for
 * a `WindowsProbe`, a `MacPointerReading` for a `MacProbe`, and either for
 * the module itself, which may be either.
 */
export type ReadingOf<P> = P extends WindowsProbe
  ? P extends MacProbe
    ? PointerReading
    : WindowsPointerReading
  : P extends MacProbe
    ? MacPointerReading
    : PointerReading;

/**
 * What a read that gave no reading resolves to. A plain object, not an
 * Error; like the library's error value it has no boolean `active`, so
 * `typeof result.active === "boolean"` tells a reading from it.
 */
export interface ReadFailure {
  /**
   * - "-1": the library answered its error value (`message` is its text,
   *   for example "unknown exception" when the host refused a call);
   * - "rejected": the macOS promise rejected (`message` is the rejection
   *   text, "Unable to read the pointer");
   * - "thrown": calling getPointer threw;
   * - "timeout": no answer within the time allowed;
   * - "invalid": not the addon's exports object, or an answer that is
   *   neither a reading nor an error value;
   * - "handler": one of `watchPointer`'s own handlers threw (only given to
   *   its `onError`).
   */
  readonly code: "-1" | "rejected" | "thrown" | "timeout" | "invalid" | "handler";
  /** One line saying what went wrong. */
  readonly message: string;
  /** What was answered, rejected or thrown, when there was such a value. */
  readonly cause?: unknown;
  readonly active?: undefined;
}

export interface ReadOptions {
  /** How long to wait for an answer, in milliseconds; 1000 by default. */
  timeoutMs?: number;
}

/**
 * Reads the pointer once, on either platform. The promise never rejects:
 * it resolves to the reading, or to a `ReadFailure` when the library
 * answered its error value, rejected, threw, or did not answer within
 * `timeoutMs`. A call that timed out may still be pending in the host;
 * wait for one read to resolve before starting the next.
 */
export function readPointer<P extends WindowsProbe | MacProbe>(
  probe: P,
  options?: ReadOptions,
): Promise<ReadingOf<P> | ReadFailure>;

export interface WatchOptions<R extends PointerReading = PointerReading> {
  /** Pause between the end of one call and the start of the next, in
   *  milliseconds; 100 by default. */
  intervalMs?: number;
  /** How long a call may go unanswered before `onStall`; 1000 by default. */
  stallMs?: number;
  /** How long a call may go unanswered before it is given up with a
   *  "timeout" failure and the next call starts; 10000 by default. */
  timeoutMs?: number;
  /** Each reading. */
  onReading?: (reading: R) => void;
  /** Each call that gave no reading, and each handler that threw. */
  onError?: (failure: ReadFailure) => void;
  /** Once for each call still unanswered after `stallMs`; the watch keeps
   *  waiting for that call. */
  onStall?: () => void;
}

/**
 * Polls the pointer until the returned function is called, with one call
 * in flight at a time. Every call ends in exactly one `onReading` or
 * `onError`; a late call is reported once through `onStall`, and given up
 * after `timeoutMs`. A handler that throws is reported through `onError`
 * and polling goes on. No handler runs after the watch is stopped.
 * @returns a function that stops the watch
 */
export function watchPointer<P extends WindowsProbe | MacProbe>(
  probe: P,
  options: WatchOptions<ReadingOf<P>>,
): () => void;

/** Whether an answer is a reading: only a reading has a boolean `active`. */
export function isReading(answer: unknown): answer is PointerReading;
