// The synchronous flow with every allocation the addon makes failed in
// turn: each call answers a reading or the error value carrying the
// standard allocation failure's text, and nothing escapes or leaks.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "tests/fakes/scripted_windows.h"
#include "tests/host/allocation_faults.h"
#include "tests/host/linked_addon.h"

namespace zerlin::test_host {
namespace {

TEST(SyncFlowFaults, EveryAllocationFailedInTurn) {
  win::ScriptedWindows scene;
  LinkedAddon addon;
  addon_value__* answer = nullptr;
  const size_t allocations = AllocationFaults::Sweep(
      [&] {
        scene.ClearTrace();
        answer = addon.Call();
      },
      [&](size_t k) {
        const std::string described = addon.host.Describe(answer);
        if (k == 0) {
          EXPECT_EQ(described,
                    "{\"active\":true,\"scale\":1,\"x\":10,\"y\":20}");
        } else {
          EXPECT_EQ(described, std::string("Error(\"-1\",\"") +
                                   std::bad_alloc().what() + "\")")
              << k;
        }
        EXPECT_EQ(addon.host.EscapedExceptions(), 0u);
      });
  EXPECT_GT(allocations, 0u);
  // Of those, the addon's own come down to the result map.
  scene.record = false;
  AllocationFaults::Arm(0);
  addon.Call();
  EXPECT_EQ(AllocationFaults::Disarm(), 1u);
}

}  // namespace
}  // namespace zerlin::test_host
