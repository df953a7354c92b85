// The Windows soak's scene: the cursor over the host's foreground window.
#include "tests/fakes/scripted_windows.h"
#include "tests/soak/pointer_soak.h"

namespace zerlin::test_host {
namespace {

struct SyncScene : SoakScene {
  win::ScriptedWindows windows;
  void AfterCall() override { windows.ClearTrace(); }
};

}  // namespace

std::unique_ptr<SoakScene> MakeSoakScene() {
  return std::make_unique<SyncScene>();
}

}  // namespace zerlin::test_host
