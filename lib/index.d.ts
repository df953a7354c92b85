// Typings for zerlin-probe's script companion, the package's main module.
// They also bring in the typings of the library itself, the module
// "zerlin-probe.uxpaddon".
/// <reference path="../types/zerlin-probe.d.ts" />

import type {
  MacPointerReading,
  MacProbe,
  PointerReading,
  Probe,
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
   * - "thrown": reading or calling getPointer threw;
   * - "timeout": no answer within the time allowed;
   * - "invalid": not the addon's exports object, or an answer that is
   *   neither a reading nor an error value.
   */
  readonly code: "-1" | "rejected" | "thrown" | "timeout" | "invalid";
  /** One line saying what went wrong. */
  readonly message: string;
  /** What was answered, rejected or thrown, when there was such a value. */
  readonly cause?: unknown;
  readonly active?: undefined;
}

/**
 * What `watchPointer` hands its `onError`: a `ReadFailure`, or a "handler"
 * failure when one of its other handlers threw (`cause` is what it threw).
 */
export interface WatchFailure extends Omit<ReadFailure, "code"> {
  readonly code: ReadFailure["code"] | "handler";
}

export interface ReadOptions {
  /** How long to wait for an answer, in milliseconds; 1000 by default. */
  timeoutMs?: number | undefined;
}

/**
 * Reads the pointer once, on either platform. The promise never rejects:
 * it resolves to the reading, or to a `ReadFailure` when the library
 * answered its error value, rejected, threw, or did not answer within
 * `timeoutMs`. The companion keeps at most one call unanswered per probe:
 * a read that finds one (its own earlier read's, or a watch's) waits for
 * that call, within its own `timeoutMs`, instead of making another.
 */
export function readPointer<P extends Probe>(
  probe: P,
  options?: ReadOptions,
): Promise<ReadingOf<P> | ReadFailure>;

export interface WatchOptions<R extends PointerReading = PointerReading> {
  /** Pause between one call's answer and the next call, in milliseconds;
   *  100 by default. */
  intervalMs?: number | undefined;
  /** How long a call may go unanswered before `onStall`; 1000 by default. */
  stallMs?: number | undefined;
  /** How long a call may go unanswered before a "timeout" failure is
   *  reported; the watch keeps waiting for it. 10000 by default. */
  timeoutMs?: number | undefined;
  /** Each reading. */
  onReading?: ((reading: R) => void) | undefined;
  /** Each answer that gave no reading, each call unanswered after
   *  `timeoutMs`, and each other handler that threw. What it throws is
   *  thrown again from a timer of its own. */
  onError?: ((failure: WatchFailure) => void) | undefined;
  /** Once for each call still unanswered after `stallMs`; the watch keeps
   *  waiting for that call. */
  onStall?: (() => void) | undefined;
}

/**
 * Polls the pointer until the returned function is called, with at most
 * one call unanswered per probe. Every answer ends in one `onReading` or
 * `onError`; a late call is reported once through `onStall` and once as a
 * "timeout" failure, and still waited for: against a host that never
 * answers, the returned function is the way out. A handler that throws is
 * reported through `onError`, and polling goes on. No handler runs after
 * the watch is stopped.
 * @returns a function that stops the watch
 */
export function watchPointer<P extends Probe>(
  probe: P,
  options: WatchOptions<ReadingOf<P>>,
): () => void;

/** Whether an answer is a reading: only a reading has a boolean `active`. */
export function isReading(answer: unknown): answer is PointerReading;
