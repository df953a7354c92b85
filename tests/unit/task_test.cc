// Tasks over the deterministic host: one operation at a time, handlers run
// at most once, shared ownership ended by the host's finaliser, and the
// handle scope guard.
#include "addon/task/task.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/host/installed_host.h"

namespace zerlin::test_host {
namespace {

using ::testing::ElementsAre;

// The scripting-thread handler the tests use: resolves with the result.
void Resolve(Task& task, addon_env__* env, addon_deferred__* deferred) {
  bool is_error = false;
  addon_value__* value = task.GetResult(is_error).Convert(env);
  UxpAddonInterface::instance().getAddonAPIs().resolve_deferred(env, deferred,
                                                                value);
}

// A main-thread handler that stores `number` and hands back.
Task::MainThreadHandler Store(double number, int* runs = nullptr) {
  return [number, runs](Task& task) {
    if (runs != nullptr) ++*runs;
    task.SetResult(Value(number), false);
    task.ScheduleOnScriptingThread(&Resolve);
  };
}

TEST(Task, OnlyOneOperationAtATime) {
  InstalledHost host;
  auto task = Task::Create();
  int runs = 0;
  addon_value__* first =
      task->ScheduleOnMainThread(host.Env(), Store(1, &runs));
  // Refused while waiting for either thread, and the refused handler is
  // not kept.
  for (TestHost::Queue queue :
       {TestHost::Queue::kMain, TestHost::Queue::kScripting}) {
    EXPECT_EQ(
        ThrownText([&] { task->ScheduleOnMainThread(host.Env(), Store(2)); }),
        "Tasks can only be used to schedule one operation");
    host.Drain(queue);
  }
  EXPECT_EQ(host.Describe(first), "Promise(fulfilled 1)");
  EXPECT_EQ(runs, 1);
  // Settled: the task takes a new operation.
  addon_value__* second = task->ScheduleOnMainThread(host.Env(), Store(3));
  host.DrainAll();
  EXPECT_EQ(host.Describe(second), "Promise(fulfilled 3)");
}

TEST(Task, EachHandlerRunsAtMostOncePerScheduling) {
  InstalledHost host;
  auto task = Task::Create();
  int runs = 0;
  addon_value__* promise =
      task->ScheduleOnMainThread(host.Env(), Store(1, &runs));
  task->InvokeMainThreadHandler();
  task->InvokeMainThreadHandler();
  host.Drain(TestHost::Queue::kMain);  // the host's run finds nothing left
  EXPECT_EQ(runs, 1);
  task->InvokeScriptingThreadHandler();
  task->InvokeScriptingThreadHandler();
  host.DrainAll();
  EXPECT_EQ(host.SettleCount(promise), 1);
  EXPECT_EQ(host.Ops().back(), "resolve_deferred");
  EXPECT_EQ(host.BoxesOutstanding(), 0u);
}

TEST(Task, TakingTheDeferredWithoutAHandlerEndsTheOperation) {
  InstalledHost host;
  auto task = Task::Create();
  task->ScheduleOnMainThread(host.Env(), Store(1));
  task->InvokeScriptingThreadHandler();
  EXPECT_EQ(
      ThrownText([&] { task->ScheduleOnMainThread(host.Env(), Store(2)); }),
      "");
}

TEST(Task, ResultsAndTheirFlag) {
  auto task = Task::Create();
  bool is_error = true;
  EXPECT_EQ(ThrownText([&] { task->GetResult(is_error); }),
            "No result was set");
  EXPECT_FALSE(is_error);
  task->SetResult(Value(1.0), false);
  task->SetResult(Value(std::string("second")), true);
  EXPECT_EQ(task->GetResult(is_error).GetString(), "second");
  EXPECT_TRUE(is_error);
}

TEST(Task, FailedPromiseQueuesNothingAndLeavesTheTaskUsable) {
  for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
    InstalledHost host;
    auto task = Task::Create();
    host.FailNext(Op::create_promise, writes);
    EXPECT_EQ(
        ThrownText([&] { task->ScheduleOnMainThread(host.Env(), Store(1)); }),
        "error");
    EXPECT_THAT(host.Ops(), ElementsAre("create_promise"));
    // A handle written out with the failure must not count as pending.
    addon_value__* promise = task->ScheduleOnMainThread(host.Env(), Store(2));
    host.DrainAll();
    EXPECT_EQ(host.Describe(promise), "Promise(fulfilled 2)");
  }
}

// The creator's share may go at once; the boxes keep the task alive until
// the host has finalised the last one, whether it ran, threw or never ran.
TEST(Task, SharesEndWithTheLastFinalisedBox) {
  {
    InstalledHost host;
    auto task = Task::Create();
    std::weak_ptr<Task> alive = task;
    task->ScheduleOnMainThread(host.Env(), Store(1));
    task.reset();
    host.Drain(TestHost::Queue::kMain);
    EXPECT_FALSE(alive.expired());
    host.Drain(TestHost::Queue::kScripting);
    EXPECT_TRUE(alive.expired());
  }
  {
    InstalledHost host;
    auto task = Task::Create();
    std::weak_ptr<Task> alive = task;
    task->ScheduleOnMainThread(host.Env(), [](Task&) { throw 1; });
    task.reset();
    EXPECT_EQ(host.Drain(TestHost::Queue::kMain), 1u);  // no exception
    EXPECT_TRUE(alive.expired());
  }
  std::weak_ptr<Task> alive;
  {
    InstalledHost host;
    auto task = Task::Create();
    alive = task;
    task->ScheduleOnMainThread(host.Env(), Store(1));
    task.reset();
    EXPECT_FALSE(alive.expired());
  }  // host shutdown: the unrun box is finalised
  EXPECT_TRUE(alive.expired());
  TaskWrapperDestructor(nullptr);
}

TEST(HandlerScope, ClosesWhatItOpenedOnEveryWayOut) {
  InstalledHost host;
  try {
    HandlerScope scope(host.Env());
    throw 1;
  } catch (int) {
  }
  const auto calls = host.Calls();
  ASSERT_THAT(host.Ops(),
              ElementsAre("open_handle_scope", "close_handle_scope"));
  EXPECT_THAT(calls[1].inputs, ElementsAre(calls[0].output));
  EXPECT_EQ(host.OpenScopes(), 0);

  InstalledHost failing;
  failing.FailNext(Op::open_handle_scope);
  EXPECT_EQ(ThrownText([&] { HandlerScope scope(failing.Env()); }), "error");
  EXPECT_THAT(failing.Ops(), ElementsAre("open_handle_scope"));
}

}  // namespace
}  // namespace zerlin::test_host
