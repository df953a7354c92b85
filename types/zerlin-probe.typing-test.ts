// Compile-time checks of the typings: each @ts-expect-error line must stay
// an error, and the rest must compile.
import probe = require("zerlin-probe.uxpaddon");
import type { MacProbe, WindowsProbe } from "zerlin-probe.uxpaddon";
import { readPointer, watchPointer } from "zerlin-probe";
import type { ReadFailure, WatchFailure } from "zerlin-probe";

// Either platform: await the answer, then tell a reading from the error
// value by its boolean `active`.
export async function describeEither(): Promise<string> {
  const answer = await probe.getPointer();
  // @ts-expect-error an answer may be the error value: narrow it first
  void answer.x;
  // @ts-expect-error getPointer takes no arguments
  void probe.getPointer(1);
  if (typeof answer.active !== "boolean") return `${answer.code}: ${answer.message}`;
  // @ts-expect-error readings are snapshots
  answer.x = 0;
  const view: string | undefined = answer.viewClass;
  return `${answer.x} ${answer.y} ${answer.scale} ${answer.active} ${view}`;
}

// The module may be either platform's: taking it as one unchecked is an
// error. A plug-in that ships one platform's library says so with a cast.
// @ts-expect-error the module may be the macOS probe
export const guessedWindows: WindowsProbe = probe;
// @ts-expect-error the module may be the Windows probe
export const guessedMac: MacProbe = probe;
const onWindows = probe as WindowsProbe;
const onMac = probe as MacProbe;

export function describeWindows(): string {
  const answer = onWindows.getPointer();
  // @ts-expect-error the Windows answer is no promise
  void answer.then;
  if (typeof answer.active !== "boolean") return answer.message;
  // @ts-expect-error Windows readings carry no view class
  const view: string = answer.viewClass;
  return `${answer.x / answer.scale} ${view}`;
}

export async function describeMac(): Promise<string> {
  const answer = await onMac.getPointer();
  if (typeof answer.active !== "boolean") return answer.message;
  return answer.viewClass;
}

// @ts-expect-error the two platforms' probes are not interchangeable
export const mixedUp: MacProbe = onWindows;

// The macOS promise types its rejection where TypeScript can: in `catch`.
export function macRejection(): void {
  const answer = onMac.getPointer();
  if (!("then" in answer)) return;
  void answer.catch((reason) => {
    const text: "Unable to read the pointer" = reason;
    // @ts-expect-error the rejection is a string, not an Error
    return reason.message ?? text;
  });
}

// The error value is the host's object: no claim that it is an Error.
export function errorValue(): string {
  const answer = onWindows.getPointer();
  if (typeof answer.active === "boolean") return "a reading";
  // @ts-expect-error the host's error object need not carry a stack
  return answer.stack ?? answer.message;
}

// A read fails with one of five codes; only a watch adds "handler".
export function explainRead(failure: ReadFailure): string {
  switch (failure.code) {
    case "-1": return "error value";
    case "rejected": return "rejected";
    case "thrown": return "threw";
    case "timeout": return "no answer";
    case "invalid": return "no probe";
    // @ts-expect-error only a watch's failures say "handler"
    case "handler": return "a handler threw";
  }
}
// @ts-expect-error a watch's failures include "handler"
export const asRead = (failure: WatchFailure): ReadFailure => failure;

// The companion gives each platform's reading, or a failure, never a throw.
export async function describeWithCompanion(): Promise<string> {
  const either = await readPointer(probe, { timeoutMs: 500 });
  if (typeof either.active !== "boolean") {
    // @ts-expect-error failures carry a code from a fixed set
    const impossible: typeof either.code = "ENOENT";
    return `${either.code}: ${either.message} ${impossible}`;
  }
  const view: string | undefined = either.viewClass;
  const onWin = await readPointer(onWindows);
  // A Windows probe gives Windows readings: no view class.
  if (typeof onWin.active === "boolean") {
    const none: undefined = onWin.viewClass;
    return `${none}`;
  }
  const macReading = await readPointer(onMac);
  if (typeof macReading.active === "boolean") return macReading.viewClass;
  const stop = watchPointer(onMac, {
    onReading: (reading) => void reading.viewClass.length,
    onError: (failure) => void failure.code,
    intervalMs: undefined,
  });
  stop();
  // @ts-expect-error the watch needs the probe
  watchPointer({ intervalMs: 100 });
  return `${view}`;
}
