// Value: the addon's own variant type for data handed to scripts. A value owns
// its payload outright; lists and maps hold further values, so a value is a
// tree. Values move, never copy.
#ifndef ZERLIN_ADDON_VALUE_VALUE_H_
#define ZERLIN_ADDON_VALUE_VALUE_H_

#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "addon/addon_api.h"

namespace zerlin {

class Value {
 public:
  enum class Kind : int32_t {
    Undefined = 0,
    Boolean = 1,
    Number = 2,
    String = 3,
    List = 4,
    Map = 5,
  };
  using List = std::deque<Value>;
  // Keys compare byte-wise as unsigned bytes (std::char_traits<char>::lt), so
  // "Z" < "a" < "x" < "xa". emplace keeps the first value given for a key.
  using Map = std::map<std::string, Value>;

  Value() : kind_(Kind::Undefined) {}
  explicit Value(bool flag) : kind_(Kind::Boolean) { payload_.flag = flag; }
  explicit Value(double number) : kind_(Kind::Number) {
    payload_.number = number;
  }
  explicit Value(std::string text);
  // Text must be passed as std::string: a bare literal would otherwise
  // convert to bool first and silently make a Boolean.
  Value(const char*) = delete;
  // An empty List or Map; any other kind throws "invalid kind".
  explicit Value(Kind kind);
  Value(Value&& other) noexcept;
  // Reads a host value and everything it contains. A value nested deeper
  // than kMaxDepth levels (a host object that contains itself, say) throws
  // std::length_error instead of exhausting the stack.
  Value(addon_env__* env, addon_value__* value);
  static constexpr int kMaxDepth = 128;
  ~Value();

  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  Value& operator=(Value&&) = delete;

  Kind GetKind() const { return kind_; }
  // Throws "Incorrect value kind" unless the value is of `kind`.
  void RequireKind(Kind kind) const;

  bool GetBoolean() const;
  double GetNumber() const;
  std::string GetString() const;
  const List& GetList() const;
  List& GetList();
  const Map& GetMap() const;
  Map& GetMap();

  // Builds a fresh host value equal to this one.
  addon_value__* Convert(addon_env__* env) const;
  static addon_value__* ConvertValue(addon_env__* env, const Value& value);

 private:
  Kind kind_;
  union Payload {
    bool flag;
    double number;
    std::string* text;
    List* list;
    Map* map;
  } payload_;
};

}  // namespace zerlin

#endif  // ZERLIN_ADDON_VALUE_VALUE_H_
