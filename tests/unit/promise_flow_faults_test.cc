// The promise flow under faults, end to end: every host call of a whole
// call (both steps included) failed in turn, and every allocation the addon
// makes failed in turn. Nothing escapes into the host, nothing leaks, and
// the promise settles exactly once unless nothing could have settled it.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "tests/fakes/fake_appkit.h"
#include "tests/host/allocation_faults.h"
#include "tests/host/linked_addon.h"

namespace zerlin::test_host {
namespace {

struct Loaded : mac::MainWindowScene, LinkedAddon {
  Loaded() { appkit.record = false; }
};

bool Made(const TestHost& host, Op op) {
  for (const Call& call : host.Calls()) {
    if (call.op == op && call.status == kOk) return true;
  }
  return false;
}

bool Tried(const TestHost& host, Op op) {
  for (const Call& call : host.Calls()) {
    if (call.op == op) return true;
  }
  return false;
}

// What one call came to: an error value, or a promise settled once, or a
// promise left pending because a step could never run or the one settle
// call failed. The deferred is never used after its settle call.
void ExpectSound(Loaded& addon, addon_value__* answer) {
  TestHost& host = addon.host;
  EXPECT_EQ(host.EscapedExceptions(), 0u);
  EXPECT_EQ(host.DeferredReuses(), 0u);
  EXPECT_EQ(host.BoxesOutstanding(), 0u);
  EXPECT_EQ(addon.appkit.open_pools, 0);
  const std::string described = host.Describe(answer);
  if (described.rfind("Error(", 0) == 0 || described == "null-handle") return;
  ASSERT_EQ(described.rfind("Promise(", 0), 0u) << described;
  if (described == "Promise(pending)") {
    // Only a step that was never queued, or a settle call that the host
    // failed, leaves the promise unsettled.
    const bool queued = Made(host, Op::run_on_main_thread) &&
                        Made(host, Op::run_on_scripting_thread);
    const bool settle_failed =
        Tried(host, Op::resolve_deferred) || Tried(host, Op::reject_deferred);
    EXPECT_TRUE(!queued || settle_failed);
  } else {
    EXPECT_EQ(host.SettleCount(answer), 1) << described;
  }
}

TEST(PromiseFlowFaults, EveryHostCallOfAWholeCallFailedInTurn) {
  size_t calls = 0;
  {
    Loaded addon;
    addon.Call();
    addon.host.DrainAll();
    calls = addon.host.CallCount();
  }
  for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
    for (size_t k = 1; k <= calls; ++k) {
      SCOPED_TRACE(::testing::Message() << "failing call " << k);
      Loaded addon;
      addon.host.FailCall(k, writes);
      addon_value__* answer = addon.Call();
      addon.host.DrainAll();
      ExpectSound(addon, answer);
      if (k == 1) {  // create_promise: an error value and nothing queued
        EXPECT_EQ(addon.host.Describe(answer),
                  "Error(\"-1\",\"unknown exception\")");
      }
    }
  }
}

TEST(PromiseFlowFaults, EveryAllocationFailedInTurn) {
  Loaded addon;
  addon_value__* answer = nullptr;
  size_t errors = 0;
  const size_t allocations = AllocationFaults::Sweep(
      [&] {
        answer = addon.Call();
        addon.host.DrainAll();
      },
      [&](size_t k) {
        SCOPED_TRACE(::testing::Message() << "failing allocation " << k);
        ExpectSound(addon, answer);
        const std::string described = addon.host.Describe(answer);
        if (k == 0) {
          EXPECT_EQ(described.rfind("Promise(fulfilled", 0), 0u);
        }
        if (described.rfind("Error(", 0) == 0) {
          ++errors;
          EXPECT_EQ(described, std::string("Error(\"-1\",\"") +
                                   std::bad_alloc().what() + "\")");
        }
        addon.host.ClearCalls();
      });
  // The task with both its queued boxes, the result map, the view's class.
  EXPECT_EQ(allocations, 3u);
  EXPECT_GT(errors, 0u);  // the call's own allocations answer error values
}

}  // namespace
}  // namespace zerlin::test_host
