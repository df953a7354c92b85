// A build without a pointer probe answers an error value, never a reading.
#include <gtest/gtest.h>

#include "addon/addon_entry.h"
#include "tests/host/test_host.h"

namespace zerlin::test_host {
namespace {

TEST(UnavailableFlow, AnswersAnErrorValueWhateverTheArguments) {
  TestHost host;
  addon_value__* exports = host.Object();
  ASSERT_EQ(uxp_addon_init(host.Env(), exports, &host.Table()), exports);
  addon_value__* get_pointer = host.Property(exports, "getPointer");
  for (const auto& args : {std::vector<addon_value__*>{},
                           std::vector<addon_value__*>{host.Number(1)}}) {
    EXPECT_EQ(host.Describe(host.CallFunction(get_pointer, args)),
              "Error(\"-1\",\"not available on this platform\")");
  }
}

}  // namespace
}  // namespace zerlin::test_host
