#include "tests/host/test_host.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace zerlin::test_host {

namespace {

const char* const kOpNames[] = {
    "throw_error",
    "create_function",
    "set_named_property",
    "get_undefined",
    "get_boolean",
    "create_object",
    "create_array",
    "create_double",
    "create_string",
    "create_error",
    "type_of",
    "get_value_double",
    "get_value_bool",
    "get_value_string",
    "get_property_names",
    "set_property",
    "get_property",
    "set_element",
    "get_element",
    "is_array",
    "get_array_length",
    "open_handle_scope",
    "close_handle_scope",
    "create_promise",
    "resolve_deferred",
    "reject_deferred",
    "run_on_scripting_thread",
    "run_on_main_thread",
};

// Shortest text that reads back as the same double: 1, 1.25, -3, 0.1.
std::string FormatNumber(double number) {
  char buffer[32];
  // Whole numbers in full: 300, not 3e+02.
  if (std::fabs(number) < 1e15 && std::trunc(number) == number) {
    std::snprintf(buffer, sizeof buffer, "%.0f", number);
    return buffer;
  }
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, number);
    if (std::strtod(buffer, nullptr) == number || std::isnan(number)) break;
  }
  return buffer;
}

std::string Quote(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

struct CallInfo {
  std::vector<addon_value__*> args;
};

thread_local int host_call_depth = 0;

// Counts host table functions on this thread's stack.
class HostCallDepth {
 public:
  HostCallDepth() { ++host_call_depth; }
  ~HostCallDepth() { --host_call_depth; }
  HostCallDepth(const HostCallDepth&) = delete;
  HostCallDepth& operator=(const HostCallDepth&) = delete;
};

}  // namespace

const char* OpName(Op op) { return kOpNames[static_cast<int>(op)]; }

// One table operation in progress: holds the lock, counts the call, applies
// an injected failure and records the call when it ends.
class TestHost::Entry {
 public:
  Entry(addon_env__* env, Op op)
      : host_(reinterpret_cast<TestHost*>(env)),
        lock_(host_ != nullptr ? std::unique_lock(host_->mutex_)
                               : std::unique_lock<std::recursive_mutex>()) {
    call_.op = op;
    if (host_ != nullptr) failure_ = host_->NextFailure(op);
  }
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;

  bool NoHost() const { return host_ == nullptr; }
  // True when an injected failure asks that the call take no effect.
  bool Skip() const { return failure_ == FailWrites::kNothing; }
  TestHost& host() { return *host_; }
  Call& call() { return call_; }
  Node* Find(const void* handle) {
    call_.inputs.push_back(handle);
    return host_->Find(handle);
  }

  addon_status Finish(addon_status status = kOk) {
    call_.status = failure_ ? kInjectedFailure : status;
    host_->calls_.push_back(call_);
    return call_.status;
  }
  template <typename T>
  addon_status Output(T** out, T* value) {
    if (out == nullptr) return Finish(kInvalidArg);
    *out = value;
    call_.output = value;
    return Finish();
  }

 private:
  TestHost* host_;
  std::unique_lock<std::recursive_mutex> lock_;
  Call call_;
  std::optional<FailWrites> failure_;
};

// The table's functions. The environment handle is the host itself.
struct TestHost::Entries {
  using Kind = Node::Kind;

  static addon_status throw_error(addon_env__* env, const char* code,
                                  const char* msg) {
    HostCallDepth depth;
    Entry e(env, Op::throw_error);
    if (e.NoHost()) return kInvalidArg;
    e.call().detail = (code != nullptr ? Quote(code) + " " : std::string()) +
                      (msg != nullptr ? Quote(msg) : "null");
    return e.Finish();
  }

  static addon_status create_function(addon_env__* env, const char* name,
                                      uint64_t length, addon_callback cb,
                                      void* data, addon_value__** result) {
    HostCallDepth depth;
    Entry e(env, Op::create_function);
    if (e.NoHost()) return kInvalidArg;
    e.call().detail = name != nullptr ? Quote(std::string_view(name, length))
                                      : std::string("null");
    (void)data;
    if (e.Skip()) return e.Finish();
    if (cb == nullptr) return e.Finish(kInvalidArg);
    Node node = Node::Of(Kind::kFunction, kFunction);
    node.callback = cb;
    if (name != nullptr) node.text.assign(name, length);
    return e.Output(result, e.host().Add(std::move(node)));
  }

  static addon_status set_named_property(addon_env__* env,
                                         addon_value__* object,
                                         const char* name,
                                         addon_value__* value) {
    HostCallDepth depth;
    Entry e(env, Op::set_named_property);
    if (e.NoHost()) return kInvalidArg;
    e.call().detail = name != nullptr ? Quote(name) : "null";
    Node* target = e.Find(object);
    Node* item = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (target == nullptr || item == nullptr || name == nullptr) {
      return e.Finish(kInvalidArg);
    }
    if (target->kind != Kind::kObject) return e.Finish(kWrongType);
    e.host().Set(object, name, value);
    return e.Finish();
  }

  static addon_status get_undefined(addon_env__* env, addon_value__** result) {
    HostCallDepth depth;
    return Make(env, Op::get_undefined, "",
                Node::Of(Kind::kUndefined, addon_type_undefined), result);
  }

  static addon_status get_boolean(addon_env__* env, bool value,
                                  addon_value__** result) {
    HostCallDepth depth;
    Node node = Node::Of(Kind::kBoolean, addon_type_boolean);
    node.flag = value;
    return Make(env, Op::get_boolean, value ? "true" : "false", std::move(node),
                result);
  }

  static addon_status create_object(addon_env__* env, addon_value__** result) {
    HostCallDepth depth;
    return Make(env, Op::create_object, "",
                Node::Of(Kind::kObject, addon_type_object), result);
  }

  static addon_status create_array(addon_env__* env, addon_value__** result) {
    HostCallDepth depth;
    return Make(env, Op::create_array, "", Node::Of(Kind::kArray, kArray),
                result);
  }

  static addon_status create_double(addon_env__* env, double value,
                                    addon_value__** result) {
    HostCallDepth depth;
    Node node = Node::Of(Kind::kNumber, addon_type_number);
    node.number = value;
    return Make(env, Op::create_double, FormatNumber(value), std::move(node),
                result);
  }

  static addon_status create_string(addon_env__* env, const char* bytes,
                                    uint64_t length, addon_value__** result) {
    HostCallDepth depth;
    if (bytes == nullptr && length != 0) {
      return Make(env, Op::create_string, "null", std::nullopt, result);
    }
    Node node = Node::Of(Kind::kString, addon_type_string);
    if (length != 0) node.text.assign(bytes, length);
    std::string detail = Quote(node.text);
    return Make(env, Op::create_string, detail, std::move(node), result);
  }

  static addon_status create_error(addon_env__* env, addon_value__* code,
                                   addon_value__* msg, addon_value__** result) {
    HostCallDepth depth;
    Entry e(env, Op::create_error);
    if (e.NoHost()) return kInvalidArg;
    e.call().inputs = {code, msg};
    if (e.Skip()) return e.Finish();
    Node node = Node::Of(Kind::kError, addon_type_object);
    node.code = code;
    node.message = msg;
    return e.Output(result, e.host().Add(std::move(node)));
  }

  static addon_status type_of(addon_env__* env, addon_value__* value,
                              int32_t* result) {
    HostCallDepth depth;
    Entry e(env, Op::type_of);
    if (e.NoHost()) return kInvalidArg;
    Node* node = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (node == nullptr || result == nullptr) return e.Finish(kInvalidArg);
    *result = node->type_code;
    e.call().detail = std::to_string(node->type_code);
    return e.Finish();
  }

  static addon_status get_value_double(addon_env__* env, addon_value__* value,
                                       double* result) {
    HostCallDepth depth;
    Entry e(env, Op::get_value_double);
    if (e.NoHost()) return kInvalidArg;
    Node* node = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (node == nullptr || result == nullptr) return e.Finish(kInvalidArg);
    if (node->kind != Kind::kNumber) return e.Finish(kWrongType);
    *result = node->number;
    return e.Finish();
  }

  static addon_status get_value_bool(addon_env__* env, addon_value__* value,
                                     bool* result) {
    HostCallDepth depth;
    Entry e(env, Op::get_value_bool);
    if (e.NoHost()) return kInvalidArg;
    Node* node = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (node == nullptr || result == nullptr) return e.Finish(kInvalidArg);
    if (node->kind != Kind::kBoolean) return e.Finish(kWrongType);
    // Only the lowest bit of the byte is the answer; this host sets another
    // bit too (0x02 false, 0x03 true), as a host may.
    const unsigned char byte = node->flag ? 0x03 : 0x02;
    std::memcpy(result, &byte, 1);
    return e.Finish();
  }

  // Without a buffer: the length in bytes. With one: copies at most
  // size - 1 bytes and answers the count copied. It writes no terminating
  // zero, as a host may: the rest of the buffer is filled with '#'.
  static addon_status get_value_string(addon_env__* env, addon_value__* value,
                                       char* buf, uint64_t size,
                                       uint64_t* result) {
    HostCallDepth depth;
    Entry e(env, Op::get_value_string);
    if (e.NoHost()) return kInvalidArg;
    e.call().detail = buf == nullptr ? "length" : std::to_string(size);
    Node* node = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (node == nullptr || result == nullptr) return e.Finish(kInvalidArg);
    if (node->kind != Kind::kString) return e.Finish(kWrongType);
    const auto& report = node->string_report;
    if (buf == nullptr) {
      *result = report ? report->first : node->text.size();
      return e.Finish();
    }
    uint64_t count = 0;
    if (size > 0) {
      count = std::min<uint64_t>(node->text.size(), size - 1);
      std::memcpy(buf, node->text.data(), static_cast<size_t>(count));
      std::memset(buf + count, '#', static_cast<size_t>(size - count));
    }
    *result = report ? report->second : count;
    return e.Finish();
  }

  static addon_status get_property_names(addon_env__* env,
                                         addon_value__* object,
                                         addon_value__** result) {
    HostCallDepth depth;
    Entry e(env, Op::get_property_names);
    if (e.NoHost()) return kInvalidArg;
    Node* node = e.Find(object);
    if (e.Skip()) return e.Finish();
    if (node == nullptr) return e.Finish(kInvalidArg);
    std::vector<std::string> keys;
    if (node->kind == Kind::kArray) {  // an array's names are its indices
      for (size_t i = 0; i < node->elements.size(); ++i) {
        keys.push_back(std::to_string(i));
      }
    } else if (node->kind != Kind::kObject) {
      return e.Finish(kWrongType);
    }
    for (const auto& property : node->properties)
      keys.push_back(property.first);
    std::vector<addon_value__*> names;
    for (const auto& key : keys) names.push_back(e.host().String(key));
    return e.Output(result, e.host().Array(names));
  }

  static addon_status set_property(addon_env__* env, addon_value__* object,
                                   addon_value__* key, addon_value__* value) {
    HostCallDepth depth;
    Entry e(env, Op::set_property);
    if (e.NoHost()) return kInvalidArg;
    Node* target = e.Find(object);
    Node* name = e.Find(key);
    Node* item = e.Find(value);
    if (name != nullptr && name->kind == Kind::kString) {
      e.call().detail = Quote(name->text);
    }
    if (e.Skip()) return e.Finish();
    if (target == nullptr || name == nullptr || item == nullptr) {
      return e.Finish(kInvalidArg);
    }
    if (target->kind != Kind::kObject || name->kind != Kind::kString) {
      return e.Finish(kWrongType);
    }
    e.host().Set(object, name->text, value);
    return e.Finish();
  }

  static addon_status get_property(addon_env__* env, addon_value__* object,
                                   addon_value__* key, addon_value__** result) {
    HostCallDepth depth;
    Entry e(env, Op::get_property);
    if (e.NoHost()) return kInvalidArg;
    Node* target = e.Find(object);
    Node* name = e.Find(key);
    if (name != nullptr && name->kind == Kind::kString) {
      e.call().detail = Quote(name->text);
    }
    if (e.Skip()) return e.Finish();
    if (target == nullptr || name == nullptr) return e.Finish(kInvalidArg);
    if ((target->kind != Kind::kObject && target->kind != Kind::kArray) ||
        name->kind != Kind::kString) {
      return e.Finish(kWrongType);
    }
    addon_value__* found = e.host().Property(object, name->text);
    return e.Output(result, found != nullptr ? found : e.host().Undefined());
  }

  static addon_status set_element(addon_env__* env, addon_value__* array,
                                  uint32_t index, addon_value__* value) {
    HostCallDepth depth;
    Entry e(env, Op::set_element);
    if (e.NoHost()) return kInvalidArg;
    e.call().detail = std::to_string(index);
    Node* target = e.Find(array);
    Node* item = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (target == nullptr || item == nullptr) return e.Finish(kInvalidArg);
    if (target->kind != Kind::kArray) return e.Finish(kWrongType);
    if (target->elements.size() <= index) {
      target->elements.resize(size_t{index} + 1, e.host().Undefined());
    }
    target->elements[index] = value;
    return e.Finish();
  }

  static addon_status get_element(addon_env__* env, addon_value__* array,
                                  uint32_t index, addon_value__** result) {
    HostCallDepth depth;
    Entry e(env, Op::get_element);
    if (e.NoHost()) return kInvalidArg;
    e.call().detail = std::to_string(index);
    Node* target = e.Find(array);
    if (e.Skip()) return e.Finish();
    if (target == nullptr) return e.Finish(kInvalidArg);
    if (target->kind != Kind::kArray) return e.Finish(kWrongType);
    addon_value__* found = index < target->elements.size()
                               ? target->elements[index]
                               : e.host().Undefined();
    return e.Output(result, found);
  }

  static addon_status is_array(addon_env__* env, addon_value__* value,
                               bool* result) {
    HostCallDepth depth;
    Entry e(env, Op::is_array);
    if (e.NoHost()) return kInvalidArg;
    Node* node = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (node == nullptr || result == nullptr) return e.Finish(kInvalidArg);
    *result = node->kind == Kind::kArray;
    e.call().detail = *result ? "true" : "false";
    return e.Finish();
  }

  static addon_status get_array_length(addon_env__* env, addon_value__* value,
                                       uint32_t* result) {
    HostCallDepth depth;
    Entry e(env, Op::get_array_length);
    if (e.NoHost()) return kInvalidArg;
    Node* node = e.Find(value);
    if (e.Skip()) return e.Finish();
    if (node == nullptr || result == nullptr) return e.Finish(kInvalidArg);
    if (node->kind != Kind::kArray) return e.Finish(kWrongType);
    *result = static_cast<uint32_t>(node->elements.size());
    e.call().detail = std::to_string(*result);
    return e.Finish();
  }

  static addon_status open_handle_scope(addon_env__* env,
                                        addon_handle_scope__** result) {
    HostCallDepth depth;
    Entry e(env, Op::open_handle_scope);
    if (e.NoHost()) return kInvalidArg;
    if (e.Skip()) return e.Finish();
    if (result == nullptr) return e.Finish(kInvalidArg);
    ++e.host().open_scopes_;
    return e.Output(result, reinterpret_cast<addon_handle_scope__*>(
                                e.host().next_scope_++));
  }

  static addon_status close_handle_scope(addon_env__* env,
                                         addon_handle_scope__* scope) {
    HostCallDepth depth;
    Entry e(env, Op::close_handle_scope);
    if (e.NoHost()) return kInvalidArg;
    e.call().inputs = {scope};
    if (e.Skip()) return e.Finish();
    if (scope == nullptr || e.host().open_scopes_ == 0) {
      return e.Finish(kInvalidArg);
    }
    --e.host().open_scopes_;
    return e.Finish();
  }

  static addon_status create_promise(addon_env__* env,
                                     addon_deferred__** deferred,
                                     addon_value__** promise) {
    HostCallDepth depth;
    Entry e(env, Op::create_promise);
    if (e.NoHost()) return kInvalidArg;
    if (e.Skip()) return e.Finish();
    if (deferred == nullptr || promise == nullptr) return e.Finish(kInvalidArg);
    addon_value__* made =
        e.host().Add(Node::Of(Kind::kPromise, addon_type_object));
    *deferred = reinterpret_cast<addon_deferred__*>(made);
    return e.Output(promise, made);
  }

  static addon_status resolve_deferred(addon_env__* env,
                                       addon_deferred__* deferred,
                                       addon_value__* value) {
    HostCallDepth depth;
    return Settle(env, Op::resolve_deferred, deferred, value, false);
  }

  static addon_status reject_deferred(addon_env__* env,
                                      addon_deferred__* deferred,
                                      addon_value__* value) {
    HostCallDepth depth;
    return Settle(env, Op::reject_deferred, deferred, value, true);
  }

  static addon_status run_on_scripting_thread(addon_env__* env,
                                              addon_thread_callback cb,
                                              void* data,
                                              addon_finalizer finalize) {
    HostCallDepth depth;
    return Enqueue(env, Op::run_on_scripting_thread, Queue::kScripting, cb,
                   data, finalize);
  }

  static addon_status run_on_main_thread(addon_env__* env,
                                         addon_thread_callback cb, void* data,
                                         addon_finalizer finalize) {
    HostCallDepth depth;
    return Enqueue(env, Op::run_on_main_thread, Queue::kMain, cb, data,
                   finalize);
  }

 private:
  static addon_status Make(addon_env__* env, Op op, std::string detail,
                           std::optional<Node> node, addon_value__** result) {
    Entry e(env, op);
    if (e.NoHost()) return kInvalidArg;
    e.call().detail = std::move(detail);
    if (e.Skip()) return e.Finish();
    if (!node) return e.Finish(kInvalidArg);
    return e.Output(result, e.host().Add(std::move(*node)));
  }

  // A promise settles once. Its deferred is used up by the first settle
  // call, failed or not, as a host that releases it inside that call would
  // have it; a later call is a use after free, counted as a fault.
  static addon_status Settle(addon_env__* env, Op op,
                             addon_deferred__* deferred, addon_value__* value,
                             bool reject) {
    Entry e(env, op);
    if (e.NoHost()) return kInvalidArg;
    Node* promise = e.Find(deferred);
    Node* item = e.Find(value);
    if (item != nullptr) e.call().detail = e.host().Describe(value);
    if (promise != nullptr && promise->kind == Kind::kPromise) {
      if (promise->deferred_used) {
        ++e.host().deferred_reuses_;
        return e.Finish(kInvalidArg);
      }
      promise->deferred_used = true;
    }
    if (e.Skip()) return e.Finish();
    if (promise == nullptr || item == nullptr) return e.Finish(kInvalidArg);
    if (promise->kind != Kind::kPromise) return e.Finish(kWrongType);
    promise->settled = 1;
    promise->rejected = reject;
    promise->result = value;
    return e.Finish();
  }

  // A box refused without effect is finalised at once, unrun, as a host
  // must: the finaliser runs exactly once for every box handed over.
  static addon_status Enqueue(addon_env__* env, Op op, Queue queue,
                              addon_thread_callback cb, void* data,
                              addon_finalizer finalize) {
    addon_status status;
    TestHost* host = nullptr;
    {
      Entry e(env, op);
      if (e.NoHost()) return kInvalidArg;
      host = &e.host();
      ++host->handed_;
      if (!e.Skip() && cb != nullptr) {
        host->QueueOf(queue).push_back(Box{cb, data, finalize, {}});
        host->changed_.notify_all();
        return e.Finish();
      }
      status = e.Finish(kInvalidArg);
    }
    host->Finalise(Box{cb, data, finalize, {}});
    return status;
  }
};

TestHost::TestHost() {
  table_.throw_error = &Entries::throw_error;
  table_.create_function = &Entries::create_function;
  table_.set_named_property = &Entries::set_named_property;
  table_.get_undefined = &Entries::get_undefined;
  table_.get_boolean = &Entries::get_boolean;
  table_.create_object = &Entries::create_object;
  table_.create_array = &Entries::create_array;
  table_.create_double = &Entries::create_double;
  table_.create_string = &Entries::create_string;
  table_.create_error = &Entries::create_error;
  table_.type_of = &Entries::type_of;
  table_.get_value_double = &Entries::get_value_double;
  table_.get_value_bool = &Entries::get_value_bool;
  table_.get_value_string = &Entries::get_value_string;
  table_.get_property_names = &Entries::get_property_names;
  table_.set_property = &Entries::set_property;
  table_.get_property = &Entries::get_property;
  table_.set_element = &Entries::set_element;
  table_.get_element = &Entries::get_element;
  table_.is_array = &Entries::is_array;
  table_.get_array_length = &Entries::get_array_length;
  table_.open_handle_scope = &Entries::open_handle_scope;
  table_.close_handle_scope = &Entries::close_handle_scope;
  table_.create_promise = &Entries::create_promise;
  table_.resolve_deferred = &Entries::resolve_deferred;
  table_.reject_deferred = &Entries::reject_deferred;
  table_.run_on_scripting_thread = &Entries::run_on_scripting_thread;
  table_.run_on_main_thread = &Entries::run_on_main_thread;
}

TestHost::~TestHost() {
  StopThreads();
  // A host finalises every box it was given, run or not.
  for (Queue queue : {Queue::kMain, Queue::kScripting}) {
    Box box;
    while (Take(queue, box)) {
      Finalise(box);
      std::lock_guard lock(mutex_);
      --running_;
    }
  }
}

std::optional<FailWrites> TestHost::NextFailure(Op op) {
  ++next_call_;
  for (auto it = fail_at_.begin(); it != fail_at_.end(); ++it) {
    if (it->first == next_call_) {
      FailWrites writes = it->second;
      fail_at_.erase(it);
      return writes;
    }
  }
  for (auto it = fail_next_.begin(); it != fail_next_.end(); ++it) {
    if (it->first == op) {
      FailWrites writes = it->second;
      fail_next_.erase(it);
      return writes;
    }
  }
  return std::nullopt;
}

addon_value__* TestHost::Add(Node node) {
  std::lock_guard lock(mutex_);
  heap_.push_back(std::move(node));
  return reinterpret_cast<addon_value__*>(static_cast<uintptr_t>(heap_.size()));
}

TestHost::Node* TestHost::Find(const void* handle) {
  const auto index = reinterpret_cast<uintptr_t>(handle);
  if (index == 0 || index > heap_.size()) return nullptr;
  return &heap_[index - 1];
}

const TestHost::Node* TestHost::Find(const void* handle) const {
  return const_cast<TestHost*>(this)->Find(handle);
}

addon_value__* TestHost::Undefined() {
  return Add(Node::Of(Node::Kind::kUndefined, addon_type_undefined));
}
addon_value__* TestHost::Null() {
  return Add(Node::Of(Node::Kind::kNull, kNull));
}

addon_value__* TestHost::Bool(bool flag) {
  Node node = Node::Of(Node::Kind::kBoolean, addon_type_boolean);
  node.flag = flag;
  return Add(std::move(node));
}

addon_value__* TestHost::Number(double number) {
  Node node = Node::Of(Node::Kind::kNumber, addon_type_number);
  node.number = number;
  return Add(std::move(node));
}

addon_value__* TestHost::String(std::string_view bytes) {
  Node node = Node::Of(Node::Kind::kString, addon_type_string);
  node.text.assign(bytes.data(), bytes.size());
  return Add(std::move(node));
}

addon_value__* TestHost::Array(const std::vector<addon_value__*>& elements) {
  Node node = Node::Of(Node::Kind::kArray, kArray);
  node.elements = elements;
  return Add(std::move(node));
}

addon_value__* TestHost::Object(
    const std::vector<std::pair<std::string, addon_value__*>>& entries) {
  addon_value__* object = Add(Node::Of(Node::Kind::kObject, addon_type_object));
  for (const auto& [key, value] : entries) Set(object, key, value);
  return object;
}

void TestHost::Set(addon_value__* object, std::string_view key,
                   addon_value__* value) {
  std::lock_guard lock(mutex_);
  Node* node = Find(object);
  if (node == nullptr) return;
  for (auto& property : node->properties) {
    if (property.first == key) {
      property.second = value;
      return;
    }
  }
  node->properties.emplace_back(std::string(key), value);
}

void TestHost::SetTypeCode(addon_value__* value, int32_t code) {
  std::lock_guard lock(mutex_);
  if (Node* node = Find(value)) node->type_code = code;
}

void TestHost::SetStringReport(addon_value__* value, uint64_t length,
                               uint64_t written) {
  std::lock_guard lock(mutex_);
  if (Node* node = Find(value)) node->string_report = {length, written};
}

std::string TestHost::Describe(const void* value) const {
  std::lock_guard lock(mutex_);
  std::string out;
  DescribeInto(value, out, 0);
  return out;
}

void TestHost::DescribeInto(const void* handle, std::string& out,
                            int depth) const {
  const Node* node = Find(handle);
  if (node == nullptr) {
    out += handle == nullptr ? "null-handle" : "bad-handle";
    return;
  }
  if (depth > 16) {
    out += "...";
    return;
  }
  using Kind = Node::Kind;
  switch (node->kind) {
    case Kind::kUndefined:
      out += "undefined";
      break;
    case Kind::kNull:
      out += "null";
      break;
    case Kind::kBoolean:
      out += node->flag ? "true" : "false";
      break;
    case Kind::kNumber:
      out += FormatNumber(node->number);
      break;
    case Kind::kString:
      out += Quote(node->text);
      break;
    case Kind::kArray:
      out += '[';
      for (size_t i = 0; i < node->elements.size(); ++i) {
        if (i > 0) out += ',';
        DescribeInto(node->elements[i], out, depth + 1);
      }
      out += ']';
      break;
    case Kind::kObject:
      out += '{';
      for (size_t i = 0; i < node->properties.size(); ++i) {
        if (i > 0) out += ',';
        out += Quote(node->properties[i].first) + ':';
        DescribeInto(node->properties[i].second, out, depth + 1);
      }
      out += '}';
      break;
    case Kind::kFunction:
      out += "function";
      break;
    case Kind::kError:
      out += "Error(";
      DescribeInto(node->code, out, depth + 1);
      out += ',';
      DescribeInto(node->message, out, depth + 1);
      out += ')';
      break;
    case Kind::kPromise:
      if (node->settled == 0) {
        out += "Promise(pending)";
      } else {
        out += node->rejected ? "Promise(rejected " : "Promise(fulfilled ";
        DescribeInto(node->result, out, depth + 1);
        out += ')';
      }
      break;
  }
}

addon_value__* TestHost::Property(addon_value__* object,
                                  std::string_view key) const {
  std::lock_guard lock(mutex_);
  const Node* node = Find(object);
  if (node == nullptr) return nullptr;
  for (size_t i = 0; i < node->elements.size(); ++i) {
    if (std::to_string(i) == key) return node->elements[i];
  }
  for (const auto& property : node->properties) {
    if (property.first == key) return property.second;
  }
  return nullptr;
}

std::vector<std::string> TestHost::Keys(addon_value__* object) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> keys;
  if (const Node* node = Find(object)) {
    for (const auto& property : node->properties)
      keys.push_back(property.first);
  }
  return keys;
}

int TestHost::SettleCount(const void* promise) const {
  std::lock_guard lock(mutex_);
  const Node* node = Find(promise);
  return node != nullptr ? node->settled : 0;
}

addon_value__* TestHost::CallFunction(addon_value__* function,
                                      const std::vector<addon_value__*>& args) {
  addon_callback callback = nullptr;
  {
    std::lock_guard lock(mutex_);
    const Node* node = Find(function);
    if (node == nullptr || node->kind != Node::Kind::kFunction) return nullptr;
    callback = node->callback;
  }
  std::optional<CallInfo> info;
  {
    HostCallDepth host_side;  // the call's own bookkeeping is the host's
    info.emplace(CallInfo{args});
  }
  try {
    return callback(Env(), reinterpret_cast<addon_callback_info__*>(&*info));
  } catch (...) {
    std::lock_guard lock(mutex_);
    ++escaped_exceptions_;
    return nullptr;
  }
}

size_t TestHost::EscapedExceptions() const {
  std::lock_guard lock(mutex_);
  return escaped_exceptions_;
}

size_t TestHost::DeferredReuses() const {
  std::lock_guard lock(mutex_);
  return deferred_reuses_;
}

bool TestHost::InHostCall() { return host_call_depth > 0; }

TestHost::Checkpoint TestHost::Mark() const {
  std::lock_guard lock(mutex_);
  return {heap_.size(), calls_.size()};
}

void TestHost::Rewind(Checkpoint mark) {
  std::lock_guard lock(mutex_);
  if (mark.values < heap_.size()) heap_.resize(mark.values);
  if (mark.calls < calls_.size()) calls_.resize(mark.calls);
}

std::vector<Call> TestHost::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> TestHost::Ops() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> ops;
  for (const Call& call : calls_) ops.emplace_back(OpName(call.op));
  return ops;
}

std::vector<std::string> TestHost::Trace() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> trace;
  for (const Call& call : calls_) {
    std::string line = OpName(call.op);
    if (!call.detail.empty()) line += " " + call.detail;
    if (call.status != kOk) line += " -> failed";
    trace.push_back(std::move(line));
  }
  return trace;
}

size_t TestHost::CallCount() const {
  std::lock_guard lock(mutex_);
  return calls_.size();
}

void TestHost::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

int TestHost::OpenScopes() const {
  std::lock_guard lock(mutex_);
  return open_scopes_;
}

void TestHost::FailCall(size_t n, FailWrites writes) {
  std::lock_guard lock(mutex_);
  fail_at_.emplace_back(next_call_ + n, writes);
}

void TestHost::FailNext(Op op, FailWrites writes) {
  std::lock_guard lock(mutex_);
  fail_next_.emplace_back(op, writes);
}

void TestHost::ClearFailures() {
  std::lock_guard lock(mutex_);
  fail_at_.clear();
  fail_next_.clear();
}

size_t TestHost::Pending(Queue queue) const {
  std::lock_guard lock(mutex_);
  return queue == Queue::kMain ? main_queue_.size() : scripting_queue_.size();
}

size_t TestHost::Drain(Queue queue) {
  size_t ran = 0;
  Box box;
  while (Take(queue, box)) {
    Run(box);
    ++ran;
  }
  return ran;
}

size_t TestHost::DrainAll() {
  size_t ran = 0;
  for (;;) {
    size_t step = Drain(Queue::kMain) + Drain(Queue::kScripting);
    if (step == 0) return ran;
    ran += step;
  }
}

std::deque<TestHost::Box>& TestHost::QueueOf(Queue queue) {
  return queue == Queue::kMain ? main_queue_ : scripting_queue_;
}

bool TestHost::Take(Queue queue, Box& box) {
  std::lock_guard lock(mutex_);
  auto& source = QueueOf(queue);
  if (source.empty()) return false;
  box = std::move(source.front());
  source.pop_front();
  ++running_;
  return true;
}

void TestHost::Run(Box& box) {
  if (box.work) {
    box.work();
    box.work = nullptr;  // its captures end on this thread, not the waiter's
  } else {
    try {
      box.callback(box.data);
      Finalise(box);
    } catch (...) {
      std::lock_guard lock(mutex_);
      ++escaped_exceptions_;
    }
  }
  std::lock_guard lock(mutex_);
  --running_;
  changed_.notify_all();
}

void TestHost::Finalise(const Box& box) {
  if (box.finalize != nullptr) box.finalize(box.data);
  if (box.callback == nullptr && box.work) return;
  std::lock_guard lock(mutex_);
  ++finalised_;
}

void TestHost::Serve(Queue queue) {
  for (;;) {
    Box box;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || !QueueOf(queue).empty(); });
      if (stopping_) return;
    }
    if (Take(queue, box)) Run(box);
  }
}

void TestHost::StartThreads(MainThread main) {
  std::lock_guard lock(mutex_);
  if (scripting_thread_.joinable()) return;
  stopping_ = false;
  scripting_thread_ = std::thread([this] { Serve(Queue::kScripting); });
  scripting_id_ = scripting_thread_.get_id();
  if (main == MainThread::kOwn) {
    main_thread_ = std::thread([this] { Serve(Queue::kMain); });
    main_id_ = main_thread_.get_id();
  }
}

void TestHost::StopThreads() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
  }
  for (std::thread* thread : {&main_thread_, &scripting_thread_}) {
    if (thread->joinable()) thread->join();
  }
}

void TestHost::Post(Queue queue, std::function<void()> work) {
  std::lock_guard lock(mutex_);
  QueueOf(queue).push_back(Box{nullptr, nullptr, nullptr, std::move(work)});
  changed_.notify_all();
}

void TestHost::WaitIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] {
    return running_ == 0 && main_queue_.empty() && scripting_queue_.empty();
  });
}

std::thread::id TestHost::ThreadOf(Queue queue) const {
  std::lock_guard lock(mutex_);
  return queue == Queue::kMain ? main_id_ : scripting_id_;
}

size_t TestHost::BoxesOutstanding() const {
  std::lock_guard lock(mutex_);
  return handed_ - finalised_;
}

}  // namespace zerlin::test_host
