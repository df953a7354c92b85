// Compile-time checks of the typings: each @ts-expect-error line must stay
// an error, and the rest must compile.
import probe = require("zerlin-probe.uxpaddon");
import type { MacProbe, WindowsProbe } from "zerlin-probe.uxpaddon";

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

// One platform: the module is that platform's probe, without a cast.
const onWindows: WindowsProbe = probe;
const onMac: MacProbe = probe;

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
