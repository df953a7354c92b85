// Compile-time checks of the typings: each @ts-expect-error line must stay
// an error, and the rest must compile.
import probe = require("zerlin-probe.uxpaddon");

export async function useReading(): Promise<string> {
  const answer = await probe.getPointer();
  // @ts-expect-error an answer may be the error value: narrow it first
  answer.active;
  // @ts-expect-error getPointer takes no arguments
  void probe.getPointer(1);
  if (answer instanceof Error) return `${answer.code}: ${answer.message}`;
  // @ts-expect-error readings are snapshots
  answer.x = 0;
  const view: string | undefined = answer.viewClass;
  return `${answer.x} ${answer.y} ${answer.scale} ${answer.active} ${view}`;
}
