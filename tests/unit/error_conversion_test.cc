// Exceptions becoming host error values: classification, the three host
// calls and their unchecked statuses.
#include "addon/task/error_conversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "tests/host/installed_host.h"

namespace zerlin::test_host {
namespace {

using ::testing::ElementsAre;

addon_value__* ErrorFrom(TestHost& host, const std::function<void()>& thrower) {
  try {
    thrower();
  } catch (...) {
    return CreateErrorFromException(host.Env());
  }
  return nullptr;
}

TEST(ErrorConversion, StandardExceptionsGiveTheirTextWithCodeMinusOne) {
  InstalledHost host;
  addon_value__* error =
      ErrorFrom(host, [] { throw std::runtime_error("oops"); });
  EXPECT_THAT(host.Trace(),
              ElementsAre("create_string \"-1\"", "create_string \"oops\"",
                          "create_error"));
  const auto calls = host.Calls();
  EXPECT_THAT(calls[2].inputs, ElementsAre(calls[0].output, calls[1].output));
  EXPECT_EQ(error, calls[2].output);
  EXPECT_EQ(host.Describe(error), "Error(\"-1\",\"oops\")");
}

TEST(ErrorConversion, EveryThrownTypeIsClassified) {
  struct Case {
    std::function<void()> thrower;
    std::string message;
  };
  const Case cases[] = {
      {[] { throw "error"; }, "unknown exception"},
      {[] { throw 42; }, "unknown exception"},
      {[] { throw std::string("text"); }, "unknown exception"},
      {[] { throw std::logic_error(""); }, ""},
      // The standard library's own text: it differs between libraries.
      {[] { throw std::bad_alloc(); }, std::bad_alloc().what()},
  };
  for (const Case& c : cases) {
    InstalledHost host;
    EXPECT_EQ(host.Describe(ErrorFrom(host, c.thrower)),
              std::string("Error(\"-1\",\"") + c.message + "\")");
  }
}

TEST(ErrorConversion, HostFailuresAreNotCheckedAndNeverThrow) {
  InstalledHost host;
  host.FailNext(Op::create_error);
  EXPECT_EQ(ErrorFrom(host, [] { throw 1; }), nullptr);

  InstalledHost second;
  second.FailNext(Op::create_string);
  addon_value__* error = ErrorFrom(second, [] { throw 1; });
  const auto calls = second.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].inputs[0], nullptr);  // the code that was never made
  EXPECT_EQ(second.Describe(error), "Error(null-handle,\"unknown exception\")");
}

TEST(ErrorConversion, EachOfItsHostCallsFailedInTurn) {
  for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
    for (size_t k = 1; k <= 3; ++k) {
      InstalledHost host;
      host.FailCall(k, writes);
      addon_value__* error = ErrorFrom(host, [] { throw 1; });
      EXPECT_EQ(host.CallCount(), 3u);  // every call is made regardless
      const bool made = k != 3 || writes == FailWrites::kOutputs;
      EXPECT_EQ(error != nullptr, made) << k;
    }
  }
}

TEST(ErrorConversion, CalledWithNoExceptionInFlightStillAnswers) {
  InstalledHost host;
  EXPECT_EQ(host.Describe(CreateErrorFromException(host.Env())),
            "Error(\"-1\",\"unknown exception\")");
}

}  // namespace
}  // namespace zerlin::test_host
