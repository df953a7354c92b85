// Start-up and shut-down as the host sees them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "addon/addon_entry.h"
#include "addon/uxp_addon_interface.h"
#include "tests/host/test_host.h"

namespace zerlin::test_host {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(Entry, RegistersGetPointerAndReturnsTheExports) {
  TestHost host;
  addon_value__* exports = host.Object();
  EXPECT_EQ(uxp_addon_init(host.Env(), exports, &host.Table()), exports);
  EXPECT_THAT(host.Trace(), ElementsAre("create_function null",
                                        "set_named_property \"getPointer\""));
  EXPECT_THAT(host.Keys(exports), ElementsAre("getPointer"));
}

TEST(Entry, ReportsAFailedRegistrationCallAndReturnsNull) {
  for (size_t k : {1, 2}) {
    for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
      SCOPED_TRACE(::testing::Message() << "failing call " << k);
      TestHost host;
      addon_value__* exports = host.Object();
      host.FailCall(k, writes);
      EXPECT_EQ(uxp_addon_init(host.Env(), exports, &host.Table()), nullptr);
      EXPECT_EQ(host.Trace().back(),
                "throw_error \"Error occured while addon initialize : error\"");
      EXPECT_EQ(host.CallCount(), k + 1);
      if (writes == FailWrites::kNothing) {
        EXPECT_THAT(host.Keys(exports), IsEmpty());
      }
    }
  }
}

TEST(Entry, NullTableTouchesNothing) {
  TestHost host;
  EXPECT_EQ(uxp_addon_init(host.Env(), host.Object(), nullptr), nullptr);
  EXPECT_EQ(host.CallCount(), 0u);
}

// Each slot the addon calls, left empty in turn: start-up is refused with
// the slot's name, nothing is registered, and the registry keeps the table
// of the earlier start-up, so no later call can reach the empty slot.
TEST(Entry, RefusesATableWithAnEmptyCalledSlot) {
  TestHost good;
  ASSERT_NE(uxp_addon_init(good.Env(), good.Object(), &good.Table()), nullptr);
  constexpr size_t kSlots = sizeof(addon_apis) / sizeof(void (*)());
  int op = 0;
  using Entry = void (*)(void);
  for (size_t slot = 0; slot < kSlots; ++slot) {
    if (reinterpret_cast<const Entry*>(&good.Table())[slot] == nullptr) {
      continue;  // a slot the addon never calls
    }
    const std::string name = OpName(static_cast<Op>(op++));
    SCOPED_TRACE(name);
    TestHost host;
    addon_apis lacking = host.Table();
    reinterpret_cast<Entry*>(&lacking)[slot] = nullptr;
    addon_value__* exports = host.Object();
    EXPECT_EQ(uxp_addon_init(host.Env(), exports, &lacking), nullptr);
    if (name == "throw_error") {
      EXPECT_EQ(host.CallCount(), 0u);
    } else {
      EXPECT_THAT(host.Trace(),
                  ElementsAre("throw_error \"Error occured while addon "
                              "initialize : the host's function table has no " +
                              name + "\""));
    }
    EXPECT_THAT(host.Keys(exports), IsEmpty());
    EXPECT_EQ(std::memcmp(&UxpAddonInterface::instance().getAddonAPIs(),
                          &good.Table(), sizeof(addon_apis)),
              0);
  }
  EXPECT_EQ(op, 28);
}

// A create_string that counts its calls, to tell one table from another.
int spied_strings = 0;
addon_status (*real_create_string)(addon_env__*, const char*, uint64_t,
                                   addon_value__**) = nullptr;
addon_status SpyCreateString(addon_env__* env, const char* bytes, uint64_t n,
                             addon_value__** out) {
  ++spied_strings;
  return real_create_string(env, bytes, n, out);
}

TEST(Entry, ASecondInitSwitchesTables) {
  TestHost host;
  ASSERT_NE(uxp_addon_init(host.Env(), host.Object(), &host.Table()), nullptr);
  addon_apis spied = host.Table();
  real_create_string = spied.create_string;
  spied.create_string = &SpyCreateString;
  addon_value__* exports = host.Object();
  ASSERT_EQ(uxp_addon_init(host.Env(), exports, &spied), exports);

  spied_strings = 0;
  host.CallFunction(host.Property(exports, "getPointer"));
  EXPECT_GT(spied_strings, 0);
}

TEST(Entry, TerminateMakesNoHostCall) {
  TestHost host;
  ASSERT_NE(uxp_addon_init(host.Env(), host.Object(), &host.Table()), nullptr);
  host.ClearCalls();
  uxp_addon_terminate(host.Env());
  uxp_addon_terminate(nullptr);
  EXPECT_EQ(host.CallCount(), 0u);
}

}  // namespace
}  // namespace zerlin::test_host
