// An in-process host for tests: it implements the host's function table over
// a small value heap, records every call in order, and can make a chosen
// call fail. Portable C++17, so the same host also runs inside a Windows
// process under Wine.
#ifndef ZERLIN_TESTS_HOST_TEST_HOST_H_
#define ZERLIN_TESTS_HOST_TEST_HOST_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "addon/addon_api.h"

namespace zerlin::test_host {

// The 28 operations of the table, in slot order.
enum class Op {
  throw_error,
  create_function,
  set_named_property,
  get_undefined,
  get_boolean,
  create_object,
  create_array,
  create_double,
  create_string,
  create_error,
  type_of,
  get_value_double,
  get_value_bool,
  get_value_string,
  get_property_names,
  set_property,
  get_property,
  set_element,
  get_element,
  is_array,
  get_array_length,
  open_handle_scope,
  close_handle_scope,
  create_promise,
  resolve_deferred,
  reject_deferred,
  run_on_scripting_thread,
  run_on_main_thread,
};
const char* OpName(Op op);

// Type codes this host answers from type_of besides the addon's own
// (addon_type_*, for undefined, booleans, numbers, strings and objects).
// Arrays have a code of their own; objects, errors and promises answer
// addon_type_object.
enum TypeCode : int32_t {
  kNull = 1,
  kFunction = 7,
  kArray = 8,
};

// Statuses: zero is success; an injected failure answers kInjectedFailure.
enum Status : addon_status {
  kOk = 0,
  kInvalidArg = 1,
  kWrongType = 2,
  kInjectedFailure = 9,
};

// What a failed call leaves in its out-arguments.
enum class FailWrites { kNothing, kOutputs };

struct Call {
  Op op;
  std::string detail;  // the call's data: texts, numbers, indices, flags
  std::vector<const void*> inputs;  // handles passed in, in argument order
  const void* output = nullptr;     // the handle written out, if any
  addon_status status = kOk;
};

class TestHost {
 public:
  TestHost();
  ~TestHost();  // finalises every queued box that never ran
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  const addon_apis& Table() const { return table_; }
  addon_env__* Env() { return reinterpret_cast<addon_env__*>(this); }

  // Building values directly on the heap (not recorded as calls).
  addon_value__* Undefined();
  addon_value__* Null();
  addon_value__* Bool(bool flag);
  addon_value__* Number(double number);
  addon_value__* String(std::string_view bytes);
  addon_value__* Array(const std::vector<addon_value__*>& elements = {});
  addon_value__* Object(
      const std::vector<std::pair<std::string, addon_value__*>>& entries = {});
  void Set(addon_value__* object, std::string_view key, addon_value__* value);
  // Overrides what type_of answers for one value.
  void SetTypeCode(addon_value__* value, int32_t code);
  // Overrides what get_value_string answers for one string: the length
  // asked for without a buffer, and the count written into a buffer.
  void SetStringReport(addon_value__* value, uint64_t length, uint64_t written);

  // Inspection. Describe renders a value in a JSON-like form that keeps
  // property order: {"a":[1,2]}, Error("-1","unknown exception"),
  // Promise(pending), Promise(fulfilled {...}), Promise(rejected "...").
  std::string Describe(const void* value) const;
  addon_value__* Property(addon_value__* object, std::string_view key) const;
  std::vector<std::string> Keys(addon_value__* object) const;
  int SettleCount(const void* promise) const;

  // Calls a function value the way a script would.
  addon_value__* CallFunction(addon_value__* function,
                              const std::vector<addon_value__*>& args = {});

  // What the host saw.
  std::vector<Call> Calls() const;
  std::vector<std::string> Ops() const;    // "create_object", ...
  std::vector<std::string> Trace() const;  // "create_string \"a\"", ...
  size_t CallCount() const;
  void ClearCalls();
  int OpenScopes() const;  // handle scopes opened and not yet closed
  // Exceptions that a callback or finaliser let out into this host; a sound
  // addon never does.
  size_t EscapedExceptions() const;
  // Settle calls made with a deferred that an earlier settle call, failed
  // or not, had used up; a sound addon makes none.
  size_t DeferredReuses() const;
  // True on a thread that is inside one of this host's table functions, so
  // a test's allocation hook can tell the host's allocations from the
  // addon's.
  static bool InHostCall();

  // Forgets every value and call made after a checkpoint, so that long runs
  // (soaks) keep the host's own memory flat.
  struct Checkpoint {
    size_t values;
    size_t calls;
  };
  Checkpoint Mark() const;
  void Rewind(Checkpoint mark);

  // Failure injection: the `n`th call from now (1 = the next one), or the
  // next call of `op`. Each fires once.
  void FailCall(size_t n, FailWrites writes = FailWrites::kNothing);
  void FailNext(Op op, FailWrites writes = FailWrites::kNothing);
  void ClearFailures();

  // The thread queues. Boxes wait until the test runs them; each runs once
  // and is finalised right after its callback returns.
  enum class Queue { kMain, kScripting };
  size_t Pending(Queue queue) const;
  // Runs boxes of `queue` until it is empty (including boxes queued while
  // running); returns how many ran.
  size_t Drain(Queue queue);
  // Drains both queues, main first, until neither has work.
  size_t DrainAll();

  // Real threads. After StartThreads a scripting thread runs the scripting
  // queue as boxes arrive, and so does a main thread for the main queue;
  // with MainThread::kCaller the caller's own thread (one that runs an
  // application's event loop, say) serves the main queue by calling
  // Drain(Queue::kMain) itself. Each box still runs once, on its queue's
  // thread, and is finalised after its callback returns. Drain and DrainAll
  // must not be called for a queue that a started thread serves.
  enum class MainThread { kOwn, kCaller };
  void StartThreads(MainThread main = MainThread::kOwn);
  // Lets each thread finish the box it is running, then joins them. Boxes
  // still queued stay queued; the destructor finalises them unrun.
  void StopThreads();
  // Queues host work of the test's own (a script's call, say) to run on the
  // thread of `queue`, in order with the boxes. Not recorded as a call.
  void Post(Queue queue, std::function<void()> work);
  // Blocks until both queues are empty and no box is running. Not from a
  // thread that serves a queue.
  void WaitIdle();
  // The thread that serves `queue`; a default id when none was started.
  std::thread::id ThreadOf(Queue queue) const;
  // Boxes handed over through run_on_*_thread and not finalised yet.
  size_t BoxesOutstanding() const;

  // The table's entries, one per operation; public so that a test can build
  // a table that swaps one of them.
  struct Entries;

 private:
  // One value on the host's heap; a handle is its index plus one. Complete
  // here because the heap is a std::deque<Node>, and libc++ and Microsoft's
  // standard library need a deque's element type complete where the deque
  // is declared.
  struct Node {
    enum class Kind {
      kUndefined,
      kNull,
      kBoolean,
      kNumber,
      kString,
      kArray,
      kObject,
      kFunction,
      kError,
      kPromise,
    };
    Kind kind = Kind::kUndefined;
    int32_t type_code = addon_type_undefined;
    bool flag = false;
    double number = 0.0;
    std::string text;  // string bytes; a function's name
    std::optional<std::pair<uint64_t, uint64_t>> string_report;
    std::vector<addon_value__*> elements;
    std::vector<std::pair<std::string, addon_value__*>> properties;
    addon_callback callback = nullptr;
    addon_value__* code = nullptr;     // error
    addon_value__* message = nullptr;  // error
    int settled = 0;                   // promise: settle calls that took effect
    bool deferred_used = false;        // promise: a settle call was made
    bool rejected = false;
    addon_value__* result = nullptr;

    static Node Of(Kind kind, int32_t code) {
      Node node;
      node.kind = kind;
      node.type_code = code;
      return node;
    }
  };
  struct Box {
    addon_thread_callback callback = nullptr;
    void* data = nullptr;
    addon_finalizer finalize = nullptr;
    std::function<void()> work;  // Post: the test's own work instead
  };
  friend struct Entries;
  friend class Entry;

  class Entry;

  // Counts a call and answers the failure injected for it, if any.
  std::optional<FailWrites> NextFailure(Op op);
  addon_value__* Add(Node node);
  Node* Find(const void* handle);
  const Node* Find(const void* handle) const;
  void DescribeInto(const void* handle, std::string& out, int depth) const;
  std::deque<Box>& QueueOf(Queue queue);
  // Takes the next box of `queue` under the lock; false when it is empty.
  bool Take(Queue queue, Box& box);
  // Runs a taken box outside the lock, then marks it done.
  void Run(Box& box);
  void Finalise(const Box& box);
  void Serve(Queue queue);

  addon_apis table_{};
  mutable std::recursive_mutex mutex_;
  std::deque<Node> heap_;
  std::vector<Call> calls_;
  uint64_t next_call_ = 0;  // calls so far, for FailCall
  std::vector<std::pair<uint64_t, FailWrites>> fail_at_;
  std::vector<std::pair<Op, FailWrites>> fail_next_;
  std::deque<Box> main_queue_;
  std::deque<Box> scripting_queue_;
  int open_scopes_ = 0;
  size_t escaped_exceptions_ = 0;
  size_t deferred_reuses_ = 0;
  uintptr_t next_scope_ = 1;

  // Threaded mode. `changed_` wakes the serving threads on new work and
  // stop, and WaitIdle when a box is done.
  std::condition_variable_any changed_;
  std::thread main_thread_;
  std::thread scripting_thread_;
  std::thread::id main_id_;
  std::thread::id scripting_id_;
  bool stopping_ = false;
  int running_ = 0;  // boxes taken and not yet done
  size_t handed_ = 0;
  size_t finalised_ = 0;
};

}  // namespace zerlin::test_host

#endif  // ZERLIN_TESTS_HOST_TEST_HOST_H_
