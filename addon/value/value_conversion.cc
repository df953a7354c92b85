// Conversion between Value trees and host values. Every host call goes
// through the registry's table and is followed at once by Check.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "addon/uxp_addon_interface.h"
#include "addon/value/value.h"

namespace zerlin {
namespace {

// Counts how deep the host-value reader is on this thread, so that a host
// value that contains itself ends in an exception, not a stack overflow.
class DepthGuard {
 public:
  DepthGuard() {
    if (depth_ >= Value::kMaxDepth) {
      throw std::length_error("host value nested too deeply to convert");
    }
    ++depth_;
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  static thread_local int depth_;
};
thread_local int DepthGuard::depth_ = 0;

// Every type code but the five the reader knows is a list or nothing.
Value::Kind GetType(const addon_apis& apis, addon_env__* env,
                    addon_value__* value) {
  int32_t type = 0;
  Check(apis.type_of(env, value, &type));
  switch (type) {
    case addon_type_undefined:
      return Value::Kind::Undefined;
    case addon_type_boolean:
      return Value::Kind::Boolean;
    case addon_type_number:
      return Value::Kind::Number;
    case addon_type_string:
      return Value::Kind::String;
    case addon_type_object:
      return Value::Kind::Map;
    default:
      break;
  }
  bool is_array = false;
  Check(apis.is_array(env, value, &is_array));
  // Only the lowest bit of a host flag counts.
  if ((*reinterpret_cast<const unsigned char*>(&is_array) & 1) == 0) {
    throw "unsupported type";
  }
  return Value::Kind::List;
}

bool GetBoolean(const addon_apis& apis, addon_env__* env,
                addon_value__* value) {
  bool flag = false;
  Check(apis.get_value_bool(env, value, &flag));
  return (*reinterpret_cast<const unsigned char*>(&flag) & 1) != 0;
}

double GetNumber(const addon_apis& apis, addon_env__* env,
                 addon_value__* value) {
  double number = 0.0;
  Check(apis.get_value_double(env, value, &number));
  return number;
}

// Asks for the length, then for the bytes into a zeroed buffer two bytes
// longer; the text ends at the first zero byte.
std::string GetString(const addon_apis& apis, addon_env__* env,
                      addon_value__* value) {
  uint64_t length = 0;
  Check(apis.get_value_string(env, value, nullptr, 0, &length));
  std::string result;
  if (length == 0) return result;
  std::vector<char> buffer;
  // length + 2 must not wrap around: a host answering a near-maximal length
  // would otherwise get a tiny buffer to write into.
  if (length > buffer.max_size() - 2) throw std::length_error("vector");
  buffer.resize(static_cast<size_t>(length) + 2);
  uint64_t written = 0;
  Check(apis.get_value_string(env, value, buffer.data(), length + 1, &written));
  if (written != 0) {
    buffer[static_cast<size_t>(length)] = '\0';
    result.assign(buffer.data());
  }
  return result;
}

void GetList(const addon_apis& apis, Value::List& list, addon_env__* env,
             addon_value__* value) {
  list.clear();
  uint32_t length = 0;
  Check(apis.get_array_length(env, value, &length));
  for (uint32_t index = 0; index < length; ++index) {
    addon_value__* element = nullptr;
    Check(apis.get_element(env, value, index, &element));
    list.emplace_back(env, element);
  }
}

// Looks each property up with the key's host value, not with its text, and
// keeps the first value when two keys read as the same text.
void GetMap(const addon_apis& apis, Value::Map& map, addon_env__* env,
            addon_value__* value) {
  map.clear();
  addon_value__* names = nullptr;
  Check(apis.get_property_names(env, value, &names));
  uint32_t count = 0;
  Check(apis.get_array_length(env, names, &count));
  for (uint32_t index = 0; index < count; ++index) {
    addon_value__* key = nullptr;
    Check(apis.get_element(env, names, index, &key));
    std::string text = GetString(apis, env, key);
    addon_value__* property = nullptr;
    Check(apis.get_property(env, value, key, &property));
    Value entry(env, property);
    map.emplace(std::move(text), std::move(entry));
  }
}

addon_value__* Convert(const addon_apis& apis, addon_env__* env,
                       const std::string& text) {
  addon_value__* result = nullptr;
  Check(apis.create_string(env, text.data(), text.size(), &result));
  return result;
}

}  // namespace

Value::Value(addon_env__* env, addon_value__* value) : kind_(Kind::Undefined) {
  DepthGuard depth;
  const addon_apis& apis = HostApis();
  const Kind kind = GetType(apis, env, value);
  switch (kind) {
    case Kind::Undefined:
      break;
    case Kind::Boolean:
      payload_.flag = zerlin::GetBoolean(apis, env, value);
      break;
    case Kind::Number:
      payload_.number = zerlin::GetNumber(apis, env, value);
      break;
    case Kind::String: {
      auto text = std::make_unique<std::string>();
      *text = zerlin::GetString(apis, env, value);
      payload_.text = text.release();
      break;
    }
    case Kind::List: {
      auto list = std::make_unique<List>();
      zerlin::GetList(apis, *list, env, value);
      payload_.list = list.release();
      break;
    }
    case Kind::Map: {
      auto map = std::make_unique<Map>();
      zerlin::GetMap(apis, *map, env, value);
      payload_.map = map.release();
      break;
    }
  }
  // Set last: a throw above leaves no half-built payload for a destructor.
  kind_ = kind;
}

addon_value__* Value::Convert(addon_env__* env) const {
  return ConvertValue(env, *this);
}

addon_value__* Value::ConvertValue(addon_env__* env, const Value& value) {
  return ConvertWith(HostApis(), env, value);
}

// The table is fetched once per conversion: it is written once at start-up
// and only read afterwards.
addon_value__* Value::ConvertWith(const addon_apis& apis, addon_env__* env,
                                  const Value& value) {
  addon_value__* result = nullptr;
  switch (value.kind_) {
    case Kind::Undefined:
      Check(apis.get_undefined(env, &result));
      return result;
    case Kind::Boolean:
      Check(apis.get_boolean(env, value.payload_.flag, &result));
      return result;
    case Kind::Number:
      Check(apis.create_double(env, value.payload_.number, &result));
      return result;
    case Kind::String:
      return zerlin::Convert(apis, env, *value.payload_.text);
    case Kind::List:
    case Kind::Map:
      return ConvertContainer(apis, env, value);
  }
  return nullptr;
}

addon_value__* Value::ConvertContainer(const addon_apis& apis, addon_env__* env,
                                       const Value& value) {
  addon_value__* result = nullptr;
  if (value.kind_ == Kind::List) {
    Check(apis.create_array(env, &result));
    uint32_t index = 0;
    for (const Value& element : *value.payload_.list) {
      addon_value__* item = ConvertWith(apis, env, element);
      Check(apis.set_element(env, result, index, item));
      ++index;
    }
    return result;
  }
  Check(apis.create_object(env, &result));
  for (const auto& [key, entry] : *value.payload_.map) {
    addon_value__* name = zerlin::Convert(apis, env, key);
    addon_value__* item = ConvertWith(apis, env, entry);
    Check(apis.set_property(env, result, name, item));
  }
  return result;
}

}  // namespace zerlin
