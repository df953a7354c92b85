#include "addon/value/value.h"

#include <utility>

namespace zerlin {

Value::Value(std::string text) : kind_(Kind::String) {
  payload_.text = new std::string(std::move(text));
}

Value::Value(Kind kind) : kind_(kind) {
  switch (kind) {
    case Kind::List:
      payload_.list = new List();
      return;
    case Kind::Map:
      payload_.map = new Map();
      return;
    default:
      throw "invalid kind";
  }
}

Value::Value(Value&& other) noexcept : kind_(other.kind_) {
  switch (kind_) {
    case Kind::Undefined:
      break;
    case Kind::Boolean:
      payload_.flag = other.payload_.flag;
      break;
    case Kind::Number:
      payload_.number = other.payload_.number;
      break;
    case Kind::String:
      payload_.text = std::exchange(other.payload_.text, nullptr);
      break;
    case Kind::List:
      payload_.list = std::exchange(other.payload_.list, nullptr);
      break;
    case Kind::Map:
      payload_.map = std::exchange(other.payload_.map, nullptr);
      break;
  }
}

Value::~Value() {
  switch (kind_) {
    case Kind::String:
      delete payload_.text;
      break;
    case Kind::List:
      delete payload_.list;
      break;
    case Kind::Map:
      delete payload_.map;
      break;
    default:
      break;
  }
}

void Value::RequireKind(Kind kind) const {
  if (kind_ != kind) throw "Incorrect value kind";
}

bool Value::GetBoolean() const {
  RequireKind(Kind::Boolean);
  return payload_.flag;
}

double Value::GetNumber() const {
  RequireKind(Kind::Number);
  return payload_.number;
}

std::string Value::GetString() const {
  RequireKind(Kind::String);
  return *payload_.text;
}

const Value::List& Value::GetList() const {
  RequireKind(Kind::List);
  return *payload_.list;
}

Value::List& Value::GetList() {
  RequireKind(Kind::List);
  return *payload_.list;
}

const Value::Map& Value::GetMap() const {
  RequireKind(Kind::Map);
  return *payload_.map;
}

Value::Map& Value::GetMap() {
  RequireKind(Kind::Map);
  return *payload_.map;
}

}  // namespace zerlin
