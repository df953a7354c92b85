// zerlin-probe 0.1.0
// Typings for zerlin-probe.uxpaddon, the native addon that reports the mouse
// pointer to plug-in scripts. The plug-in host loads the library by its file
// name; the script receives its exports object:
//
//   const probe = require("zerlin-probe.uxpaddon");
//   const reading = await probe.getPointer();
//
// The Windows library answers at once, the macOS library through a promise;
// `await` treats both alike.

declare module "zerlin-probe.uxpaddon" {
  /** Fields that both platforms report. */
  interface PointerReadingBase {
    /**
     * Horizontal position of the pointer on the desktop. Grows to the right;
     * negative on a display left of the primary (Windows) or first (macOS)
     * display.
     */
    readonly x: number;
    /**
     * Vertical position of the pointer on the desktop. Grows downward from
     * the top edge of the primary (Windows) or first (macOS) display;
     * negative on a display above it.
     */
    readonly y: number;
    /** Display scale; see the platform readings for its meaning. */
    readonly scale: number;
    /**
     * True only while the pointer rests over the host application's own
     * focused window, no mouse button is held, and no control or web view
     * lies under the pointer. The exact tests differ per platform; see the
     * platform readings.
     */
    readonly active: boolean;
  }

  /**
   * A reading on Windows, returned synchronously.
   *
   * - `x`, `y`: the cursor position in physical screen pixels as Windows
   *   reports it to the host process: whole numbers, never divided by
   *   `scale`. (A host process that is not per-monitor DPI aware sees
   *   virtualised coordinates instead.)
   * - `scale`: the dots per inch of the top-level window under the pointer
   *   divided by 96 (1, 1.25, 1.5, 2, ...); 1 when no window lies under the
   *   pointer. Divide `x` and `y` by it to get logical units.
   * - `active`: true when the window directly under the pointer is not a web
   *   view, button, edit control or combo box (judged by its own window
   *   class alone), its top-level window is the foreground window, belongs
   *   to the host's process, is enabled and is not a tool window, none of
   *   the left, right and middle buttons is held, and the cursor position
   *   could be read. Any top-level window of the host counts, dialogs
   *   included.
   */
  interface WindowsPointerReading extends PointerReadingBase {
    /** Windows readings carry no view class. */
    readonly viewClass?: never;
  }

  /**
   * A reading on macOS, the value of the promise that `getPointer` returns.
   *
   * - `x`, `y`: the pointer position in points (not pixels), not rounded.
   *   `x` is in the desktop's global coordinates; `y` is measured downward
   *   from the top edge of the first screen (the one with the menu bar).
   * - `scale`: always 1.
   * - `active`: true when the host is the active application, runs no modal
   *   window, the pointer is over its main window (not a panel, no sheet
   *   attached), no mouse button at all is held, and neither the view under
   *   the pointer nor any view containing it is a control or a view whose
   *   class name contains "WebView".
   */
  interface MacPointerReading extends PointerReadingBase {
    /**
     * Class name of the innermost view under the pointer (not the control
     * that contains it), or "" when the pointer is over no view of the host:
     * another application's window, the desktop, a title bar.
     */
    readonly viewClass: string;
  }

  type PointerReading = WindowsPointerReading | MacPointerReading;

  /**
   * The error value that `getPointer` returns, as its result, when the
   * reading fails (Windows), when the promise cannot be set up (macOS), or
   * on a platform that has no pointer probe. It is returned, never thrown.
   * The plug-in host builds it as its ordinary error object.
   */
  interface ProbeError extends Error {
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
   * The text with which the macOS promise rejects when the pointer could
   * not be read. It is a plain string, not an Error.
   */
  type ProbeRejection = "Unable to read the pointer";

  /** The exports object of the Windows library. */
  interface WindowsProbe {
    /**
     * Samples the pointer once and answers at once: the reading, or a
     * `ProbeError`. Takes no arguments and keeps nothing between calls.
     */
    getPointer(): WindowsPointerReading | ProbeError;
  }

  /** The exports object of the macOS library. */
  interface MacProbe {
    /**
     * Samples the pointer once on the host's main thread: a promise of the
     * reading that rejects with a `ProbeRejection`, or a `ProbeError` when
     * the promise cannot be set up. Keep one call in flight at a time.
     */
    getPointer(): Promise<MacPointerReading> | ProbeError;
  }

  /** The exports object on either platform. */
  type Probe = WindowsProbe | MacProbe;

  /**
   * Samples the pointer once. Takes no arguments and keeps nothing between
   * calls, so it is cheap to call on a timer.
   *
   * - Windows: the reading itself, or a `ProbeError`.
   * - macOS: a promise of the reading that rejects with a `ProbeRejection`,
   *   or a `ProbeError` when the promise cannot be set up.
   *
   * `await` the answer on both platforms and tell a reading from an error
   * by its `active` field being a boolean.
   *
   * A call through the module itself sees the first signature, which
   * covers both platforms. The other two let a plug-in for one platform
   * declare the module as a `WindowsProbe` or a `MacProbe` without a cast:
   *
   *   import addon = require("zerlin-probe.uxpaddon");
   *   const probe: WindowsProbe = addon;
   */
  function getPointer():
    | WindowsPointerReading
    | Promise<MacPointerReading>
    | ProbeError;
  function getPointer(): WindowsPointerReading | ProbeError;
  function getPointer(): Promise<MacPointerReading> | ProbeError;
}
