// Task: one asynchronous operation carried across the host's two threads.
// On the scripting thread it creates a promise and queues a step on the main
// thread; that step stores a result and queues a second step back on the
// scripting thread, which settles the promise. While a step waits in a host
// queue, the host holds a TaskWrapper box that owns a share of the task.
#ifndef ZERLIN_ADDON_TASK_TASK_H_
#define ZERLIN_ADDON_TASK_TASK_H_

#include <functional>
#include <memory>
#include <optional>

#include "addon/addon_api.h"
#include "addon/value/value.h"

namespace zerlin {

class Task;

// The box handed to the host with each queued step: it holds one share of
// the task. Only TaskWrapperDestructor frees it. The first step queued on
// each side uses a box inside the task itself, so that a task and its boxes
// are one allocation; a box that the host may still hold is never reused,
// so later steps get boxes of their own on the heap.
struct TaskWrapper {
  std::shared_ptr<Task> task_;
  bool inTask_ = false;  // part of its task rather than a heap box

  // The callbacks the host runs: each invokes the task's handler for its
  // thread and swallows whatever it throws.
  static void MainThreadThunk(void* data);
  static void ScriptingThreadThunk(void* data);
};

class Task : public std::enable_shared_from_this<Task> {
  struct Key {
    explicit Key() = default;
  };

 public:
  using MainThreadHandler = std::function<void(Task&)>;
  using ScriptingThreadHandler =
      std::function<void(Task&, addon_env__*, addon_deferred__*)>;

  // Tasks are made only here, already owned by a shared owner.
  static std::shared_ptr<Task> Create();
  explicit Task(Key);  // for Create alone, which can name the key

  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;

  // Scripting thread. Creates the promise, queues `handler` for the main
  // thread and returns the promise. Throws "Tasks can only be used to
  // schedule one operation" while an operation is pending, "error" when the
  // promise cannot be created (nothing is queued then), and
  // std::bad_weak_ptr for a task without a shared owner.
  addon_value__* ScheduleOnMainThread(addon_env__* env,
                                      const MainThreadHandler& handler);
  // The same for the non-null `task`, whose share goes to the queued box
  // instead of a new one being taken: two atomic updates of the share count
  // fewer. `task` is emptied only when the step was queued.
  static addon_value__* ScheduleOnMainThread(std::shared_ptr<Task>&& task,
                                             addon_env__* env,
                                             const MainThreadHandler& handler);
  // Main thread, from the main-thread handler: queues `handler` for the
  // scripting thread with the environment given to ScheduleOnMainThread.
  void ScheduleOnScriptingThread(const ScriptingThreadHandler& handler);

  // Run the stored handler at most once per scheduling; the handler's
  // exceptions go on to the caller.
  void InvokeMainThreadHandler();
  // Also takes the pending deferred out of the task, handler or not.
  void InvokeScriptingThreadHandler();

  // Replaces the stored result and its error flag.
  void SetResult(Value&& value, bool isError);
  // Writes the error flag, then returns the stored result; throws "No result
  // was set" when there is none. The reference lives until the next
  // SetResult or the task's end.
  const Value& GetResult(bool& isError) const;

 private:
  addon_value__* Schedule(addon_env__* env, const MainThreadHandler& handler,
                          std::shared_ptr<Task>* share);
  // A box holding `share` when given, else a new share of this task: the box
  // inside the task when `used` says it has not served yet, else one on the
  // heap.
  TaskWrapper* NewBox(TaskWrapper& own, bool& used,
                      std::shared_ptr<Task>* share = nullptr);

  MainThreadHandler mainThreadHandler_;
  ScriptingThreadHandler scriptingThreadHandler_;
  addon_deferred__* deferred_ = nullptr;  // non-null: an operation is pending
  std::optional<Value> result_;
  bool isError_ = false;
  addon_env__* env_ = nullptr;
  // The boxes inside the task. Each flag is read and written only where
  // steps of its side are queued: the main box's on the scripting thread,
  // the scripting box's in the main-thread step.
  TaskWrapper mainBox_;
  TaskWrapper scriptingBox_;
  bool mainBoxUsed_ = false;
  bool scriptingBoxUsed_ = false;
};

// The finaliser handed over with every box: frees the box and with it one
// share of the task. Ignores null.
void TaskWrapperDestructor(void* data);

// Opens a host handle scope for scripting-thread work started from a host
// callback and closes it on every way out. Throws "error" when the scope
// cannot be opened.
class HandlerScope {
 public:
  explicit HandlerScope(addon_env__* env);
  ~HandlerScope();
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  addon_env__* env_;
  addon_handle_scope__* scope_;
};

}  // namespace zerlin

#endif  // ZERLIN_ADDON_TASK_TASK_H_
