// The two-thread host: boxes run once on their own thread and are finalised
// after their callback, or unrun at shutdown; and many overlapping
// getPointer promises through it, also while the addon is started again,
// which ThreadSanitizer watches.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "addon/addon_entry.h"
#include "tests/fakes/fake_appkit.h"
#include "tests/host/installed_host.h"

namespace zerlin::test_host {
namespace {

using Queue = TestHost::Queue;

// One box's life, as the host's threads see it.
struct Probe {
  std::atomic<int> ran{0};
  std::atomic<int> finalised{0};
  std::atomic<bool> finalised_before_run_ended{false};
  std::atomic<bool> running{false};
  std::thread::id ran_on;

  static void Run(void* data) {
    auto* probe = static_cast<Probe*>(data);
    probe->running = true;
    probe->ran_on = std::this_thread::get_id();
    ++probe->ran;
    std::this_thread::yield();
    probe->running = false;
  }
  static void Finalise(void* data) {
    auto* probe = static_cast<Probe*>(data);
    if (probe->running) probe->finalised_before_run_ended = true;
    ++probe->finalised;
  }
};

TEST(TwoThreadHost, EachBoxRunsOnceOnItsThreadThenIsFinalised) {
  std::vector<Probe> probes(200);
  {
    TestHost host;
    host.StartThreads();
    // Queued from a third thread, as a step on either thread would.
    std::thread queuer([&] {
      for (size_t i = 0; i < probes.size(); ++i) {
        auto run = i % 2 == 0 ? host.Table().run_on_main_thread
                              : host.Table().run_on_scripting_thread;
        run(host.Env(), &Probe::Run, &probes[i], &Probe::Finalise);
      }
    });
    queuer.join();
    host.WaitIdle();
    for (size_t i = 0; i < probes.size(); ++i) {
      const Probe& probe = probes[i];
      EXPECT_EQ(probe.ran, 1);
      EXPECT_EQ(probe.finalised, 1);
      EXPECT_FALSE(probe.finalised_before_run_ended);
      EXPECT_EQ(probe.ran_on,
                host.ThreadOf(i % 2 == 0 ? Queue::kMain : Queue::kScripting));
    }
    EXPECT_NE(host.ThreadOf(Queue::kMain), host.ThreadOf(Queue::kScripting));
  }
}

TEST(TwoThreadHost, BoxesLeftAtShutdownAreFinalisedUnrun) {
  std::vector<Probe> probes(3);
  {
    TestHost host;
    host.StartThreads();
    host.StopThreads();
    for (Probe& probe : probes) {
      host.Table().run_on_main_thread(host.Env(), &Probe::Run, &probe,
                                      &Probe::Finalise);
    }
  }
  for (const Probe& probe : probes) {
    EXPECT_EQ(probe.ran, 0);
    EXPECT_EQ(probe.finalised, 1);
  }
}

// Scripts call getPointer in bursts on the scripting thread while the main
// thread samples and the scripting thread settles earlier calls; `between`
// runs on the test's own thread after each burst is posted. Every promise
// settles once, fulfilled, and nothing is left held.
void CallInOverlappingBursts(
    size_t bursts, size_t calls_per_burst,
    const std::function<void(InstalledHost&)>& between) {
  InstalledHost host;
  mac::MainWindowScene scene;
  mac::FakeAppKit& appkit = scene.appkit;
  appkit.record = false;
  addon_value__* exports = host.Object();
  ASSERT_EQ(uxp_addon_init(host.Env(), exports, &host.Table()), exports);
  addon_value__* get_pointer = host.Property(exports, "getPointer");

  std::vector<addon_value__*> promises;  // scripting thread only, until idle
  promises.reserve(bursts * calls_per_burst);
  host.StartThreads();
  for (size_t burst = 0; burst < bursts; ++burst) {
    host.Post(Queue::kScripting, [&] {
      for (size_t i = 0; i < calls_per_burst; ++i) {
        promises.push_back(host.CallFunction(get_pointer));
      }
    });
    if (between) between(host);
  }
  host.WaitIdle();
  host.StopThreads();

  ASSERT_EQ(promises.size(), bursts * calls_per_burst);
  size_t fulfilled = 0;
  for (addon_value__* promise : promises) {
    EXPECT_EQ(host.SettleCount(promise), 1);
    fulfilled += host.Describe(promise).rfind("Promise(fulfilled", 0) == 0;
  }
  EXPECT_EQ(fulfilled, promises.size());
  EXPECT_EQ(host.BoxesOutstanding(), 0u);
  EXPECT_EQ(host.OpenScopes(), 0);
  EXPECT_EQ(appkit.open_pools, 0);
}

TEST(TwoThreadHost, TenThousandOverlappingPromisesEachSettleOnce) {
  CallInOverlappingBursts(100, 100, nullptr);
}

// Another plug-in loading the library starts it again, on a scripting thread
// of its own and with the same table, while steps of earlier calls read that
// table on both threads.
TEST(TwoThreadHost, StartingAgainWithTheSameTableMidCallsIsRaceFree) {
  CallInOverlappingBursts(100, 20, [](InstalledHost& host) {
    for (int start = 0; start < 5; ++start) {
      addon_value__* exports = host.Object();
      EXPECT_EQ(uxp_addon_init(host.Env(), exports, &host.Table()), exports);
    }
  });
}

}  // namespace
}  // namespace zerlin::test_host
