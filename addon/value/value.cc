#include "addon/value/value.h"

#include <algorithm>
#include <stdexcept>
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

void Value::ReleasePayload() noexcept {
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

namespace zerlin {

Value& ValueMap::at(std::string_view key) {
  value_type* const* found = Find(key);
  if (found == order_ + size_) throw std::out_of_range("ValueMap::at");
  return (*found)->second;
}

const Value& ValueMap::at(std::string_view key) const {
  value_type* const* found = Find(key);
  if (found == order_ + size_) throw std::out_of_range("ValueMap::at");
  return (*found)->second;
}

void ValueMap::GrowOrder() {
  const size_t capacity = capacity_ * 2;
  auto* order = new value_type*[capacity];
  std::copy(order_, order_ + size_, order);
  if (order_ != inline_order_) delete[] order_;
  order_ = order;
  capacity_ = capacity;
}

void ValueMap::Release() {
  for (size_t i = 0; i < size_; ++i) {
    value_type* entry = order_[i];
    entry->~value_type();
    if (!IsInline(entry)) ::operator delete(entry);
  }
  if (order_ != inline_order_) delete[] order_;
  order_ = inline_order_;
  size_ = 0;
  capacity_ = kInline;
  inline_used_ = 0;
}

}  // namespace zerlin
