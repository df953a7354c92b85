// getPointer answering through a promise, driven as the host would: the call
// on the scripting queue's side, the probe when the main queue runs, the
// settling when the scripting queue runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addon/addon_entry.h"
#include "tests/fakes/fake_appkit.h"
#include "tests/host/linked_addon.h"

namespace zerlin::test_host {
namespace {

using ::testing::ElementsAre;
using Queue = TestHost::Queue;

constexpr char kFulfilled[] =
    "Promise(fulfilled {\"active\":true,\"scale\":1,\"viewClass\":\"NSView\","
    "\"x\":123,\"y\":455})";
constexpr char kRejected[] = "Promise(rejected \"Unable to read the pointer\")";

// The addon loaded in a host, over a main window whose plain content view
// lies under the pointer at (123,345). (Coordinates
// without trailing zeros keep the host's shortest number texts plain.)
struct Loaded : mac::MainWindowScene, LinkedAddon {
  Loaded() { appkit.pointer = {123, 345}; }
};

TEST(PromiseFlow, AnswersAtOnceAndSettlesOnTheScriptingThread) {
  Loaded addon;
  addon_value__* promise = addon.Call();
  EXPECT_EQ(addon.host.Describe(promise), "Promise(pending)");
  EXPECT_THAT(addon.host.Ops(),
              ElementsAre("create_promise", "run_on_main_thread"));
  EXPECT_TRUE(addon.appkit.trace.empty());  // the probe waits for the host

  addon.host.ClearCalls();
  addon.host.Drain(Queue::kMain);
  EXPECT_EQ(addon.appkit.trace.front(), "pool push");
  EXPECT_THAT(addon.host.Ops(), ElementsAre("run_on_scripting_thread"));

  addon.host.ClearCalls();
  addon.host.Drain(Queue::kScripting);
  EXPECT_EQ(addon.host.Describe(promise), kFulfilled);
  EXPECT_THAT(
      addon.host.Trace(),
      ElementsAre(
          "open_handle_scope", "create_object", "create_string \"active\"",
          "get_boolean true", "set_property \"active\"",
          "create_string \"scale\"", "create_double 1",
          "set_property \"scale\"", "create_string \"viewClass\"",
          "create_string \"NSView\"", "set_property \"viewClass\"",
          "create_string \"x\"", "create_double 123", "set_property \"x\"",
          "create_string \"y\"", "create_double 455", "set_property \"y\"",
          std::string("resolve_deferred ") +
              "{\"active\":true,\"scale\":1,\"viewClass\":\"NSView\","
              "\"x\":123,\"y\":455}",
          "close_handle_scope"));
  EXPECT_EQ(addon.host.BoxesOutstanding(), 0u);
}

TEST(PromiseFlow, AProbeThatFailsRejectsWithAPlainString) {
  Loaded addon;
  addon.appkit.raise_in_hit_test = true;
  addon_value__* promise = addon.Call();
  addon.host.DrainAll();
  EXPECT_EQ(addon.host.Describe(promise), kRejected);
  EXPECT_EQ(addon.appkit.open_pools, 0);
}

TEST(PromiseFlow, NoPromiseMeansAnErrorValueAndNothingQueued) {
  for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
    Loaded addon;
    addon.host.FailNext(Op::create_promise, writes);
    EXPECT_EQ(addon.host.Describe(addon.Call()),
              "Error(\"-1\",\"unknown exception\")");
    EXPECT_EQ(addon.host.Pending(Queue::kMain), 0u);
    EXPECT_EQ(addon.host.BoxesOutstanding(), 0u);
    EXPECT_TRUE(addon.appkit.trace.empty());
  }
}

TEST(PromiseFlow, CallsOverlapEachWithItsOwnPromise) {
  Loaded addon;
  addon_value__* first = addon.Call();
  addon_value__* second = addon.Call({addon.host.Number(1)});
  EXPECT_NE(first, second);
  addon.host.DrainAll();
  for (addon_value__* promise : {first, second}) {
    EXPECT_EQ(addon.host.Describe(promise), kFulfilled);
    EXPECT_EQ(addon.host.SettleCount(promise), 1);
  }
}

// Failing each host call of the scripting-thread step in turn: the promise
// settles once with the reading, or is rejected with the plain string when
// the reading could not be made into a script value; a failed settle call
// is final, since the host may have released the deferred in it. Every
// scope opened is closed, and every box is finalised.
TEST(PromiseFlow, SettlingSurvivesEveryFailingHostCall) {
  size_t calls = 0;
  {
    Loaded addon;
    addon.Call();
    addon.host.Drain(Queue::kMain);
    addon.host.ClearCalls();
    addon.host.Drain(Queue::kScripting);
    calls = addon.host.CallCount();
  }
  ASSERT_EQ(calls, 19u);
  for (size_t k = 1; k <= calls; ++k) {
    for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
      Loaded addon;
      addon_value__* promise = addon.Call();
      addon.host.Drain(Queue::kMain);
      addon.host.ClearCalls();
      addon.host.FailCall(k, writes);
      addon.host.Drain(Queue::kScripting);
      const std::string failed = OpName(addon.host.Calls()[k - 1].op);
      SCOPED_TRACE(failed + (writes == FailWrites::kNothing ? "" : " written"));
      EXPECT_EQ(addon.host.DeferredReuses(), 0u);
      // Only a resolve that took effect or a failed closing of the scope
      // leaves the reading in place; a resolve that took none leaves the
      // promise to the host.
      const bool kept =
          failed == "close_handle_scope" ||
          (failed == "resolve_deferred" && writes == FailWrites::kOutputs);
      const bool left = failed == "resolve_deferred" && !kept;
      EXPECT_EQ(addon.host.SettleCount(promise), left ? 0 : 1);
      EXPECT_EQ(addon.host.Describe(promise), kept   ? kFulfilled
                                              : left ? "Promise(pending)"
                                                     : kRejected);
      int opened = 0;
      int closed = 0;
      for (const Call& call : addon.host.Calls()) {
        opened += call.op == Op::open_handle_scope && call.status == kOk;
        closed += call.op == Op::close_handle_scope;
      }
      EXPECT_EQ(opened, closed);
      EXPECT_EQ(addon.host.BoxesOutstanding(), 0u);
    }
  }
}

TEST(PromiseFlow, AStepThatCannotBeQueuedStillReleasesItsTask) {
  Loaded addon;
  addon_value__* promise = addon.Call();
  addon.host.FailNext(Op::run_on_scripting_thread);
  addon.host.Drain(Queue::kMain);
  EXPECT_EQ(addon.host.Pending(Queue::kScripting), 0u);
  EXPECT_EQ(addon.host.BoxesOutstanding(), 0u);
  EXPECT_EQ(addon.host.Describe(promise), "Promise(pending)");
}

}  // namespace
}  // namespace zerlin::test_host
