// Every allocation the addon makes, failed in turn: the failure surfaces as
// std::bad_alloc (or its error value), and nothing leaks or crashes.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "addon/addon_entry.h"
#include "addon/task/error_conversion.h"
#include "addon/value/value.h"
#include "tests/host/allocation_faults.h"
#include "tests/host/installed_host.h"

namespace zerlin::test_host {
namespace {

using Kind = Value::Kind;

TEST(AllocationFaults, ReadingAHostValueThrowsBadAllocAndReleasesWhatWasBuilt) {
  InstalledHost host;
  // "wide" holds more entries than a map keeps inline.
  addon_value__* nested = host.Object(
      {{"list", host.Array({host.Number(1),
                            host.Object({{"k", host.String("text")}})})},
       {"flag", host.Bool(true)},
       {"wide", host.Object({{"h", host.Number(8)},
                             {"g", host.Number(7)},
                             {"f", host.Number(6)},
                             {"e", host.Number(5)},
                             {"d", host.Number(4)},
                             {"c", host.Number(3)},
                             {"b", host.Number(2)},
                             {"a", host.Number(1)}})}});
  std::string outcome;
  const size_t allocations = AllocationFaults::Sweep(
      [&] {
        try {
          Value read(host.Env(), nested);
          outcome = "read";
        } catch (const std::bad_alloc&) {
          outcome = "bad_alloc";
        }
      },
      [&](size_t k) {
        EXPECT_EQ(outcome, k == 0 ? "read" : "bad_alloc") << k;
      });
  EXPECT_GT(allocations, 5u);
}

TEST(AllocationFaults, ConvertingAndReportingErrorsAllocateNothing) {
  InstalledHost host;
  Value map(Kind::Map);
  map.GetMap().emplace(
      "a", Value(std::string("a text longer than any small buffer")));
  AllocationFaults::Arm(0);
  map.Convert(host.Env());
  addon_value__* error = nullptr;
  try {
    throw std::bad_alloc();
  } catch (...) {
    error = CreateErrorFromException(host.Env());
  }
  EXPECT_EQ(AllocationFaults::Disarm(), 0u);
  EXPECT_EQ(host.Describe(error),
            std::string("Error(\"-1\",\"") + std::bad_alloc().what() + "\")");
}

TEST(AllocationFaults, StartUpReportsEvenWhenItsMessageCannotBeBuilt) {
  TestHost host;
  // Made before arming: the host's heap may allocate on its first value
  // (libc++'s deque does), and only the addon's allocations may fail.
  addon_value__* exports = host.Object();
  host.FailNext(Op::set_named_property);
  AllocationFaults::Arm(1);
  EXPECT_EQ(uxp_addon_init(host.Env(), exports, &host.Table()), nullptr);
  AllocationFaults::Disarm();
  EXPECT_EQ(host.Trace().back(),
            "throw_error \"Error occured while addon initialize : \"");
}

}  // namespace
}  // namespace zerlin::test_host
