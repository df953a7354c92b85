// The desktop that the real-window host runs on: it moves the pointer,
// holds mouse buttons and shows another application's window, through the
// X server (XTest) under GNUstep and through Quartz on macOS. Positions are
// in points from the first screen's top-left corner, as X and Quartz's
// global display space both count them.
#ifndef ZERLIN_TESTS_REAL_WINDOWS_APPKIT_DESKTOP_H_
#define ZERLIN_TESTS_REAL_WINDOWS_APPKIT_DESKTOP_H_

#include <memory>
#include <string>

namespace zerlin::appkit_host {

class Desktop {
 public:
  // Once, before the process uses the window system in any other way.
  static void Prepare();

  Desktop();
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // True where the session may refuse synthesised input (macOS asks for
  // permissions): there a refusal skips the cases that need it; under X it
  // fails them.
  static bool SessionMayRefuse();

  // Why this session cannot hold a button or show another application's
  // window; "" when it can.
  std::string CannotHoldButtons() const;
  std::string CannotShowOtherWindow() const;

  // Returns once the request has reached the window system; the caller waits
  // until AppKit shows its effect.
  void MoveTo(int x, int y);
  enum class Button { kPrimary, kSecondary, kMiddle };
  void Press(Button button, bool down);
  // A plain grey window of another client, above every window of the host.
  void ShowOtherWindow(int x, int y, int width, int height);
  void HideOtherWindow();

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

}  // namespace zerlin::appkit_host

#endif  // ZERLIN_TESTS_REAL_WINDOWS_APPKIT_DESKTOP_H_
