// The macOS soak's scene: the pointer over the main window's plain content.
#include "tests/fake_appkit.h"
#include "tests/pointer_soak.h"

namespace zerlin::test_host {
namespace {

struct PromiseScene : SoakScene {
  FakeAppKit appkit;
  FakeView content{"NSView"};
  FakeWindow window{7, {40, 100}, &content};
  PromiseScene() {
    appkit.record = false;
    appkit.windows = {&window};
    appkit.main = &window;
    appkit.number_at_point = 7;
    appkit.hit = &content;
  }
};

}  // namespace

std::unique_ptr<SoakScene> MakeSoakScene() {
  return std::make_unique<PromiseScene>();
}

}  // namespace zerlin::test_host
