// zerlin-probe 0.1.0
// Typings for zerlin-probe.uxpaddon, the native addon that reports the mouse
// pointer to plug-in scripts. The plug-in host loads the library by its file
// name; the script receives its exports object:
//
//   const probe = require("zerlin-probe.uxpaddon");
//
// The Windows library answers at once; the macOS library answers a promise,
// which may reject or stay pending. The package's main module, "zerlin-probe",
// turns both into a promise that always resolves (`readPointer`).

declare module "zerlin-probe.uxpaddon" {
  /** Fields that both platforms report. */
  interface PointerReadingBase {
    /**
     * Horizontal position of the pointer in the desktop's coordinates,
     * growing to the right; negative on a display left of the primary
     * (Windows) or first (macOS) display. Physical pixels on Windows,
     * points on macOS; see the platform readings.
     */
    readonly x: number;
    /**
     * Vertical position of the pointer, growing downward from the top edge
     * of the primary (Windows) or first (macOS) display; negative on a
     * display above it.
     */
    readonly y: number;
    /** Display scale; see the platform readings for its meaning. */
    readonly scale: number;
    /**
     * One sample, taken at the call: true when the pointer was over a
     * window of the host application that has the focus, no mouse button
     * was held, and no control or web view that the platform recognises was
     * under the pointer. It says nothing about whether the pointer has been
     * still. The exact tests differ per platform; see the platform readings.
     */
    readonly active: boolean;
  }

  /**
   * A reading on Windows, returned synchronously.
   *
   * - `x`, `y`: the cursor position as Windows reports it to the host's
   *   process: whole numbers, never divided by `scale`. For a host that is
   *   per-monitor DPI aware these are physical pixels of the whole desktop,
   *   with the origin at the primary display's top-left corner; a host of
   *   another DPI awareness sees coordinates that Windows has scaled.
   * - `scale`: the dots per inch of the top-level window under the pointer
   *   divided by 96 (1, 1.25, 1.5, 2, ...): that window's display, which is
   *   not always the display under the pointer (a window may straddle two);
   *   1 when no window is under the pointer or Windows gives no value.
   *   Dividing `x`, `y` by it does not give logical coordinates on a
   *   desktop whose displays have different scales: it is right only for a
   *   distance between two points on the same display.
   * - `active`: true when the window directly under the pointer does not
   *   have the class "Edit", "Button" or "ComboBox" exactly, nor a class
   *   containing "WebView" (only that window's own class is looked at: a
   *   control that the host draws itself, or of any other class, reads
   *   active), its top-level window is the foreground window, belongs to the
   *   host's process, is enabled and is not a tool window, the cursor
   *   position could be read, and none of the left, right and middle
   *   buttons is held. Any top-level window of the host counts, dialogs
   *   included.
   */
  interface WindowsPointerReading extends PointerReadingBase {
    /** Windows readings carry no view class. */
    readonly viewClass?: never;
  }

  /**
   * A reading on macOS, the value of the promise that `getPointer` returns.
   *
   * - `x`, `y`: the pointer position in points (not pixels), not rounded,
   *   which are already the desktop's logical units. `x` is in the
   *   desktop's global coordinates (0 at the left edge of the first screen,
   *   the one with the menu bar); `y` is measured downward from the top
   *   edge of that screen.
   * - `scale`: always 1; it does not report the display's pixel density,
   *   which no reading gives.
   * - `active`: true when the host is the active application, runs no modal
   *   window, the pointer is over its main window (not a panel, no sheet
   *   attached), no mouse button at all is held, and neither the view under
   *   the pointer nor any view containing it is a control (an `NSControl`)
   *   or a view whose class name contains "WebView". A custom view that is
   *   no `NSControl` does not veto. Over the main window's title bar no
   *   view vetoes (it lies outside the content view), so it reads active
   *   when the other tests pass, with `viewClass` "".
   */
  interface MacPointerReading extends PointerReadingBase {
    /**
     * Class name of the innermost view under the pointer (not the control
     * that contains it), or "" when the pointer is over no view of the
     * host: another application's window, the desktop, a title bar.
     */
    readonly viewClass: string;
  }

  type PointerReading = WindowsPointerReading | MacPointerReading;

  /**
   * The error value that `getPointer` returns, as its result, when the
   * reading fails (Windows), when the promise cannot be set up (macOS), or
   * on a platform that has no pointer probe. It is returned, not thrown.
   * The plug-in host builds it as its own error object, which need not be
   * an `Error` of your script's realm: test `active`, not `instanceof`.
   */
  interface ProbeError {
    /** Always "-1". */
    readonly code: "-1";
    /**
     * What failed: the failure's own text (for example "not available on
     * this platform"), or "unknown exception" when the host refused a call.
     */
    readonly message: string;
    /**
     * Never a boolean: `typeof answer.active === "boolean"` holds for a
     * reading only, so that test tells the two apart.
     */
    readonly active?: undefined;
  }

  /**
   * The reason with which the macOS promise rejects: when AppKit could not
   * be read, or the reading could not be made into a script value. A plain
   * string, not an Error.
   */
  type ProbeRejection = "Unable to read the pointer";

  /**
   * The macOS promise: fulfilled with a reading, rejected with a
   * `ProbeRejection`. It stays pending while the host's main thread is
   * busy, and for good when the host drops the queued work or refuses the
   * call that settles it, so bound the wait. `then` and `catch` type the
   * rejection; in a `try` block around `await` it arrives as `unknown`.
   */
  interface PointerPromise extends Promise<MacPointerReading> {
    then<TResult1 = MacPointerReading, TResult2 = never>(
      onfulfilled?:
        | ((value: MacPointerReading) => TResult1 | PromiseLike<TResult1>)
        | null,
      onrejected?:
        | ((reason: ProbeRejection) => TResult2 | PromiseLike<TResult2>)
        | null,
    ): Promise<TResult1 | TResult2>;
    catch<TResult = never>(
      onrejected?:
        | ((reason: ProbeRejection) => TResult | PromiseLike<TResult>)
        | null,
    ): Promise<MacPointerReading | TResult>;
  }

  /** The exports object of the Windows library. */
  interface WindowsProbe {
    /**
     * Samples the pointer once and answers at once: the reading, or a
     * `ProbeError`. Takes no arguments, keeps nothing between calls and
     * throws nothing.
     */
    getPointer(): WindowsPointerReading | ProbeError;
  }

  /** The exports object of the macOS library. */
  interface MacProbe {
    /**
     * Samples the pointer once on the host's main thread: a promise of the
     * reading that rejects with a `ProbeRejection` and may stay pending, or
     * a `ProbeError` when the promise cannot be set up. Keep one call in
     * flight at a time.
     */
    getPointer(): PointerPromise | ProbeError;
  }

  /**
   * The exports object on either platform: what the module itself is to a
   * plug-in that ships both libraries. Its answer says which platform it
   * is on: a promise (`"then" in answer`) on macOS, the reading or error
   * value itself on Windows. A `WindowsProbe` and a `MacProbe` are each a
   * `Probe`; the module is neither without that check, or a cast in a
   * plug-in that ships one platform's library only.
   */
  interface Probe {
    getPointer(): WindowsPointerReading | PointerPromise | ProbeError;
  }

  /**
   * Samples the pointer once. Takes no arguments and keeps nothing between
   * calls, so it is cheap to call on a timer.
   *
   * - Windows: the reading itself, or a `ProbeError`.
   * - macOS: a `PointerPromise` of the reading, which rejects with a
   *   `ProbeRejection` and may stay pending, or a `ProbeError` when the
   *   promise cannot be set up.
   *
   * `await` inside `try`, with a bound on the wait, handles both; the
   * companion's `readPointer` (module "zerlin-probe") does all of that.
   * Tell a reading from an error value by its `active` being a boolean.
   */
  function getPointer(): WindowsPointerReading | PointerPromise | ProbeError;
}
