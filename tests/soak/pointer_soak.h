// A soak of getPointer: a million calls through the test host, with peak
// resident memory read after the first ten thousand and after the last.
// Each flow links this with a scene of its own scripted platform.
#ifndef ZERLIN_TESTS_SOAK_POINTER_SOAK_H_
#define ZERLIN_TESTS_SOAK_POINTER_SOAK_H_

#include <memory>

namespace zerlin::test_host {

// Sets up the scripted platform for the soak; alive until destroyed.
struct SoakScene {
  virtual ~SoakScene() = default;
  // Runs after each call: a scene that records drops its record here.
  virtual void AfterCall() {}
};
std::unique_ptr<SoakScene> MakeSoakScene();

}  // namespace zerlin::test_host

#endif  // ZERLIN_TESTS_SOAK_POINTER_SOAK_H_
