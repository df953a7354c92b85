// Values crossing to and from host values: exact host call orders, what is
// read and written, and failures part-way through.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "addon/value/value.h"
#include "tests/host/installed_host.h"

namespace zerlin::test_host {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using Kind = Value::Kind;

Value NumberList(std::initializer_list<double> numbers) {
  Value list(Kind::List);
  for (double n : numbers) list.GetList().emplace_back(n);
  return list;
}

// A map holding a list holding a map: {"a":[1,{"b":"t"}],"c":true}.
Value Nested() {
  Value inner(Kind::Map);
  inner.GetMap().emplace("b", Value(std::string("t")));
  Value list = NumberList({1});
  list.GetList().push_back(std::move(inner));
  Value outer(Kind::Map);
  outer.GetMap().emplace("c", Value(true));
  outer.GetMap().emplace("a", std::move(list));
  return outer;
}

TEST(ToHost, MapHoldingAListFollowsTheExactCallOrder) {
  InstalledHost host;
  Value map(Kind::Map);
  map.GetMap().emplace("a", NumberList({1, 2}));
  addon_value__* object = map.Convert(host.Env());
  EXPECT_THAT(host.Trace(), ElementsAre("create_object", "create_string \"a\"",
                                        "create_array", "create_double 1",
                                        "set_element 0", "create_double 2",
                                        "set_element 1", "set_property \"a\""));
  EXPECT_EQ(host.Describe(object), "{\"a\":[1,2]}");
}

TEST(ToHost, EachKindUsesItsOwnCalls) {
  struct Case {
    std::function<Value()> make;
    std::vector<std::string> trace;
    std::string described;
  };
  const std::vector<Case> cases = {
      {[] { return Value(); }, {"get_undefined"}, "undefined"},
      {[] { return Value(false); }, {"get_boolean false"}, "false"},
      {[] { return Value(0.1); }, {"create_double 0.1"}, "0.1"},
      {[] { return Value(Kind::List); }, {"create_array"}, "[]"},
      {[] { return Value(Kind::Map); }, {"create_object"}, "{}"},
      {[] { return Value(std::string("a\0b", 3)); },
       {"create_string \"a\\x00b\""},
       "\"a\\x00b\""},
  };
  for (const Case& c : cases) {
    InstalledHost host;
    addon_value__* made = Value::ConvertValue(host.Env(), c.make());
    EXPECT_EQ(host.Trace(), c.trace);
    EXPECT_EQ(host.Describe(made), c.described);
  }
}

TEST(ToHost, PropertiesAreSetInByteOrder) {
  InstalledHost host;
  Value result(Kind::Map);
  for (const char* key : {"y", "x", "viewClass", "scale", "active"}) {
    result.GetMap().emplace(key, Value(0.0));
  }
  EXPECT_THAT(host.Keys(result.Convert(host.Env())),
              ElementsAre("active", "scale", "viewClass", "x", "y"));
}

TEST(ToHost, AFailedCallStopsTheConversion) {
  InstalledHost host;
  Value list = NumberList({0, 1, 2, 3, 4});
  host.FailCall(7);  // create_array, then two calls per element: index 2's set
  EXPECT_EQ(ThrownText([&] { list.Convert(host.Env()); }), "error");
  EXPECT_EQ(host.Trace().back(), "set_element 2 -> failed");
  EXPECT_EQ(host.CallCount(), 7u);
}

TEST(FromHost, TypeCodesDecideTheKind) {
  InstalledHost host;
  addon_value__* array_as_object = host.Array({host.Number(7)});
  host.SetTypeCode(array_as_object, addon_type_object);
  Value map(host.Env(), array_as_object);
  EXPECT_EQ(map.GetMap().at("0").GetNumber(), 7.0);
  EXPECT_THAT(host.Ops(), Not(Contains("is_array")));

  Value list(host.Env(), host.Array({host.Number(1), host.String("s")}));
  ASSERT_EQ(list.GetList().size(), 2u);
  EXPECT_EQ(list.GetList()[1].GetString(), "s");

  for (int32_t code : {1, 5, 7}) {
    addon_value__* odd = host.Object();
    host.SetTypeCode(odd, code);
    EXPECT_EQ(ThrownText([&] { Value v(host.Env(), odd); }),
              "unsupported type");
  }
}

TEST(FromHost, StringsFollowTheTwoCallReadProtocol) {
  InstalledHost host;
  Value empty(host.Env(), host.String(""));
  EXPECT_EQ(empty.GetString(), "");
  EXPECT_THAT(host.Trace(),
              ElementsAre("type_of 4", "get_value_string length"));

  host.ClearCalls();
  EXPECT_EQ(Value(host.Env(), host.String("abc")).GetString(), "abc");
  EXPECT_THAT(host.Trace(), ElementsAre("type_of 4", "get_value_string length",
                                        "get_value_string 4"));

  addon_value__* unwritten = host.String("hello");
  host.SetStringReport(unwritten, 5, 0);
  EXPECT_EQ(Value(host.Env(), unwritten).GetString(), "");

  EXPECT_EQ(Value(host.Env(), host.String(std::string("a\0b", 3))).GetString(),
            "a");
}

TEST(FromHost, AbsurdStringLengthsThrowTheLengthError) {
  InstalledHost host;
  for (uint64_t length : {std::numeric_limits<uint64_t>::max(),
                          std::numeric_limits<uint64_t>::max() - 1}) {
    addon_value__* text = host.String("x");
    host.SetStringReport(text, length, 1);
    EXPECT_THROW(Value(host.Env(), text), std::length_error);
  }
}

TEST(FromHost, ObjectsAreReadIntoByteOrderAndKeepTheFirstOfEqualKeys) {
  InstalledHost host;
  addon_value__* object =
      host.Object({{"b", host.Number(2)},
                   {"a", host.Number(1)},
                   {std::string("a\0z", 3), host.Number(3)}});
  Value map(host.Env(), object);
  ASSERT_EQ(map.GetMap().size(), 2u);
  EXPECT_EQ(map.GetMap().begin()->first, "a");
  EXPECT_EQ(map.GetMap().at("a").GetNumber(), 1.0);

  host.ClearCalls();
  EXPECT_THAT(host.Keys(map.Convert(host.Env())), ElementsAre("a", "b"));
}

TEST(FromHost, ASelfContainingObjectThrowsInsteadOfOverflowing) {
  InstalledHost host;
  addon_value__* object = host.Object();
  host.Set(object, "self", object);
  EXPECT_THROW(Value(host.Env(), object), std::length_error);
  // The depth count is restored: a shallow value still reads.
  EXPECT_EQ(Value(host.Env(), host.Number(1)).GetNumber(), 1.0);
}

TEST(RoundTrip, NestedValuesSurviveBothDirections) {
  InstalledHost host;
  addon_value__* made = Nested().Convert(host.Env());
  EXPECT_EQ(host.Describe(made), "{\"a\":[1,{\"b\":\"t\"}],\"c\":true}");
  Value back(host.Env(), made);
  EXPECT_EQ(host.Describe(back.Convert(host.Env())), host.Describe(made));
  // The host answers booleans as bytes 0x02 and 0x03: only the low bit
  // counts.
  for (bool flag : {false, true}) {
    EXPECT_EQ(Value(host.Env(), host.Bool(flag)).GetBoolean(), flag);
  }
}

// Fails every host call of both directions in turn, with and without
// outputs written: each run throws "error" and, under the sanitizer build,
// releases everything it had built.
TEST(Failures, EveryHostCallFailedInTurnThrowsAndReleases) {
  size_t to_host_calls = 0;
  size_t from_host_calls = 0;
  {
    InstalledHost host;
    addon_value__* made = Nested().Convert(host.Env());
    to_host_calls = host.CallCount();
    host.ClearCalls();
    Value back(host.Env(), made);
    from_host_calls = host.CallCount();
  }
  for (FailWrites writes : {FailWrites::kNothing, FailWrites::kOutputs}) {
    for (size_t k = 1; k <= to_host_calls; ++k) {
      InstalledHost host;
      host.FailCall(k, writes);
      EXPECT_EQ(ThrownText([&] { Nested().Convert(host.Env()); }), "error")
          << k;
      EXPECT_EQ(host.CallCount(), k);
    }
    for (size_t k = 1; k <= from_host_calls; ++k) {
      InstalledHost host;
      addon_value__* made = Nested().Convert(host.Env());
      host.ClearCalls();
      host.FailCall(k, writes);
      EXPECT_EQ(ThrownText([&] { Value v(host.Env(), made); }), "error") << k;
      EXPECT_EQ(host.CallCount(), k);
    }
  }
}

}  // namespace
}  // namespace zerlin::test_host
