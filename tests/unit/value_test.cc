// The Value model on its own: kinds, checked access, ownership and ordering.
#include "addon/value/value.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "tests/host/installed_host.h"

namespace zerlin::test_host {
namespace {

using ::testing::ElementsAre;
using Kind = Value::Kind;

std::vector<std::string> KeysOf(const Value& value) {
  std::vector<std::string> keys;
  for (const auto& entry : value.GetMap()) keys.push_back(entry.first);
  return keys;
}

TEST(ValueModel, ContainerKindsMakeEmptyContainersAndOthersThrow) {
  EXPECT_TRUE(Value(Kind::List).GetList().empty());
  EXPECT_TRUE(Value(Kind::Map).GetMap().empty());
  for (Kind kind :
       {Kind::Undefined, Kind::Boolean, Kind::Number, Kind::String}) {
    EXPECT_EQ(ThrownText([kind] { Value v(kind); }), "invalid kind");
  }
}

TEST(ValueModel, ScalarConstructorsKeepTheirKindAndPayload) {
  EXPECT_EQ(Value().GetKind(), Kind::Undefined);
  EXPECT_EQ(Value(true).GetBoolean(), true);
  EXPECT_EQ(Value(-2.5).GetNumber(), -2.5);
  Value empty{std::string()};
  EXPECT_EQ(empty.GetKind(), Kind::String);
  EXPECT_EQ(empty.GetString(), "");
  EXPECT_EQ(Value(std::string("a\0b", 3)).GetString(), std::string("a\0b", 3));
  // A bare literal would make a Boolean through the pointer-to-bool
  // conversion; it must not compile at all.
  static_assert(!std::is_constructible_v<Value, const char*>);
  static_assert(!std::is_constructible_v<Value, const char(&)[5]>);
}

TEST(ValueModel, AccessorsOfAnotherKindThrowAndLeaveTheValue) {
  Value boolean(true), list(Kind::List), undefined;
  const std::vector<std::function<void()>> wrong = {
      [&] { boolean.GetNumber(); },   [&] { list.GetMap(); },
      [&] { undefined.GetString(); }, [&] { undefined.GetBoolean(); },
      [&] { boolean.GetList(); },     [&] { list.RequireKind(Kind::String); },
  };
  for (const auto& access : wrong) {
    EXPECT_EQ(ThrownText(access), "Incorrect value kind");
  }
  EXPECT_TRUE(boolean.GetBoolean());
  EXPECT_TRUE(list.GetList().empty());
}

TEST(ValueModel, MapKeysIterateInByteOrderAndTheFirstValueWins) {
  Value result(Kind::Map);
  auto& map = result.GetMap();
  for (const char* key : {"y", "x", "scale", "active", "viewClass"}) {
    map.emplace(key, Value(1.0));
  }
  EXPECT_THAT(KeysOf(result),
              ElementsAre("active", "scale", "viewClass", "x", "y"));

  Value bytes(Kind::Map);
  for (const char* key : {"key", "\xff", "xa", "Key", "x", "Z", "a"}) {
    bytes.GetMap().emplace(key, Value());
  }
  EXPECT_THAT(KeysOf(bytes),
              ElementsAre("Key", "Z", "a", "key", "x", "xa", "\xff"));
  bytes.GetMap().emplace("xa", Value(true));  // past the inline entries
  EXPECT_EQ(bytes.GetMap().size(), 7u);
  EXPECT_EQ(bytes.GetMap().at("xa").GetKind(), Kind::Undefined);

  // Many more entries than fit inline, added in descending order.
  Value wide(Kind::Map);
  std::vector<std::string> ascending;
  for (char c = 'z'; c >= 'A'; --c) {
    wide.GetMap().emplace(std::string(20, c), Value(double(c)));
    ascending.insert(ascending.begin(), std::string(20, c));
  }
  EXPECT_EQ(KeysOf(wide), ascending);
  EXPECT_EQ(wide.GetMap().at(std::string(20, 'Q')).GetNumber(), 'Q');

  map.emplace("x", Value(2.0));
  EXPECT_EQ(map.count("x"), 1u);
  EXPECT_EQ(map.at("x").GetNumber(), 1.0);
}

TEST(ValueModel, MovingTransfersOwnershipOnce) {
  Value list(Kind::List);
  {
    Value map(Kind::Map);
    map.GetMap().emplace("k", Value(std::string("text")));
    list.GetList().push_back(std::move(map));
    EXPECT_EQ(map.GetKind(), Kind::Map);  // a moved-from value keeps its kind
  }
  // The sanitizer build fails on a double release or a leak of the map.
  EXPECT_EQ(list.GetList().front().GetMap().at("k").GetString(), "text");
}

TEST(ValueModel, AccessorsHandOutCopiesOfTextAndTheHeldContainers) {
  Value text(std::string("abc"));
  std::string copy = text.GetString();
  copy[0] = 'z';
  EXPECT_EQ(text.GetString(), "abc");

  Value list(Kind::List);
  for (double n : {1.0, 2.0, 3.0}) list.GetList().emplace_back(n);
  const auto& again = list.GetList();
  ASSERT_EQ(again.size(), 3u);
  EXPECT_EQ(again[0].GetNumber(), 1.0);
  EXPECT_EQ(again[2].GetNumber(), 3.0);
}

}  // namespace
}  // namespace zerlin::test_host
