// The macOS soak's scene: the pointer over the main window's plain content.
#include "tests/fakes/fake_appkit.h"
#include "tests/soak/pointer_soak.h"

namespace zerlin::test_host {
namespace {

struct PromiseScene : SoakScene, mac::MainWindowScene {
  PromiseScene() { appkit.record = false; }
};

}  // namespace

std::unique_ptr<SoakScene> MakeSoakScene() {
  return std::make_unique<PromiseScene>();
}

}  // namespace zerlin::test_host
