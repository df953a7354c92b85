// getPointer on Windows, driven through the host: the object it answers, the
// host calls that build it, and failures coming back as error values.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "addon/addon_entry.h"
#include "tests/fakes/scripted_windows.h"
#include "tests/host/test_host.h"

namespace zerlin::test_host {
namespace {

using ::testing::ElementsAre;
using win::ScriptedWindows;

// A host that has loaded the addon; GetPointer calls it like a script.
class LoadedHost : public TestHost {
 public:
  LoadedHost() {
    addon_value__* exports = Object();
    EXPECT_EQ(uxp_addon_init(Env(), exports, &Table()), exports);
    get_pointer_ = Property(exports, "getPointer");
    ClearCalls();
  }
  addon_value__* GetPointer(const std::vector<addon_value__*>& args = {}) {
    return CallFunction(get_pointer_, args);
  }

 private:
  addon_value__* get_pointer_ = nullptr;
};

TEST(SyncFlow, AnswersTheObjectWithPropertiesInByteOrder) {
  ScriptedWindows scene;
  scene.cursor = {-5, 7};
  scene.Window("frame").dpi = 120;
  LoadedHost host;
  addon_value__* result = host.GetPointer();
  EXPECT_EQ(host.Describe(result),
            "{\"active\":true,\"scale\":1.25,\"x\":-5,\"y\":7}");
  EXPECT_THAT(host.Trace(),
              ElementsAre("create_object", "create_string \"active\"",
                          "get_boolean true", "set_property \"active\"",
                          "create_string \"scale\"", "create_double 1.25",
                          "set_property \"scale\"", "create_string \"x\"",
                          "create_double -5", "set_property \"x\"",
                          "create_string \"y\"", "create_double 7",
                          "set_property \"y\""));
}

TEST(SyncFlow, ArgumentsAreIgnoredAndEachCallSamplesAfresh) {
  ScriptedWindows scene;
  LoadedHost host;
  const std::string plain = host.Describe(host.GetPointer());
  const std::vector<std::string> plain_trace = host.Trace();
  host.ClearCalls();
  const std::string with_args = host.Describe(
      host.GetPointer({host.Number(1), host.String("x"), host.Object()}));
  EXPECT_EQ(with_args, plain);
  EXPECT_EQ(host.Trace(), plain_trace);

  scene.cursor = {300, 400};
  scene.Window("canvas").class_name = "Button";
  EXPECT_EQ(host.Describe(host.GetPointer()),
            "{\"active\":false,\"scale\":1,\"x\":300,\"y\":400}");
}

TEST(SyncFlow, AnyFailingHostCallGivesAnErrorValue) {
  // Fails each host call of the conversion in turn, with and without
  // output written; nothing may be thrown into the host.
  ScriptedWindows scene;
  size_t calls = 0;
  {
    LoadedHost host;
    host.GetPointer();
    calls = host.CallCount();
  }
  ASSERT_EQ(calls, 13u);
  for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
    for (size_t k = 1; k <= calls; ++k) {
      SCOPED_TRACE(::testing::Message() << "failing call " << k);
      LoadedHost host;
      host.FailCall(k, writes);
      addon_value__* result = nullptr;
      EXPECT_NO_THROW(result = host.GetPointer());
      EXPECT_EQ(host.Describe(result), "Error(\"-1\",\"unknown exception\")");
      // The conversion stops at the failed call; then the error is built.
      EXPECT_EQ(host.CallCount(), k + 3);
    }
  }
}

TEST(SyncFlow, AProbeFailureGivesAnErrorValueWithItsText) {
  ScriptedWindows scene;
  scene.before = [](const std::string& operation) {
    if (operation.rfind("GetClassNameA", 0) == 0) throw std::bad_alloc();
  };
  LoadedHost host;
  EXPECT_EQ(host.Describe(host.GetPointer()),
            std::string("Error(\"-1\",\"") + std::bad_alloc().what() + "\")");
  EXPECT_THAT(host.Ops(),
              ElementsAre("create_string", "create_string", "create_error"));
}

}  // namespace
}  // namespace zerlin::test_host
