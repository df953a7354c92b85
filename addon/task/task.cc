#include "addon/task/task.h"

#include <utility>

#include "addon/uxp_addon_interface.h"

namespace zerlin {

std::shared_ptr<Task> Task::Create() {
  // The task and its share count in one allocation.
  return std::make_shared<Task>(Key());
}

Task::Task(Key) {
  mainBox_.inTask_ = true;
  scriptingBox_.inTask_ = true;
}

TaskWrapper* Task::NewBox(TaskWrapper& own, bool& used,
                          std::shared_ptr<Task>* share) {
  if (used) {
    return new TaskWrapper{share != nullptr ? std::move(*share)
                                            : shared_from_this()};
  }
  own.task_ = share != nullptr ? std::move(*share) : shared_from_this();
  used = true;
  return &own;
}

addon_value__* Task::ScheduleOnMainThread(addon_env__* env,
                                          const MainThreadHandler& handler) {
  return Schedule(env, handler, nullptr);
}

addon_value__* Task::ScheduleOnMainThread(std::shared_ptr<Task>&& task,
                                          addon_env__* env,
                                          const MainThreadHandler& handler) {
  Task& self = *task;
  return self.Schedule(env, handler, &task);
}

addon_value__* Task::Schedule(addon_env__* env,
                              const MainThreadHandler& handler,
                              std::shared_ptr<Task>* share) {
  if (deferred_ != nullptr) {
    throw "Tasks can only be used to schedule one operation";
  }
  mainThreadHandler_ = handler;
  addon_value__* promise = nullptr;
  const addon_apis& apis = HostApis();
  const addon_status status = apis.create_promise(env, &deferred_, &promise);
  // A host may write out a handle even when it reports failure; keeping it
  // would leave the task refusing every later operation.
  if (status != 0) deferred_ = nullptr;
  Check(status);
  TaskWrapper* wrapper = NewBox(mainBox_, mainBoxUsed_, share);
  env_ = env;
  // The main-thread step may start as soon as the host holds the box, so
  // every field it reads is written above, and none is touched below: with
  // the caller's share handed over, the task may already be gone.
  apis.run_on_main_thread(env, &TaskWrapper::MainThreadThunk, wrapper,
                          &TaskWrapperDestructor);
  return promise;
}

void Task::ScheduleOnScriptingThread(const ScriptingThreadHandler& handler) {
  scriptingThreadHandler_ = handler;
  TaskWrapper* wrapper = NewBox(scriptingBox_, scriptingBoxUsed_);
  HostApis().run_on_scripting_thread(env_, &TaskWrapper::ScriptingThreadThunk,
                                     wrapper, &TaskWrapperDestructor);
}

void Task::InvokeMainThreadHandler() {
  MainThreadHandler handler;
  handler.swap(mainThreadHandler_);
  if (handler) handler(*this);
}

void Task::InvokeScriptingThreadHandler() {
  ScriptingThreadHandler handler;
  handler.swap(scriptingThreadHandler_);
  addon_deferred__* deferred = std::exchange(deferred_, nullptr);
  if (handler) handler(*this, env_, deferred);
}

void Task::SetResult(Value&& value, bool isError) {
  Value next(std::move(value));  // `value` may be the stored result itself
  result_.reset();
  result_.emplace(std::move(next));
  isError_ = isError;
}

const Value& Task::GetResult(bool& isError) const {
  isError = isError_;
  if (!result_) throw "No result was set";
  return *result_;
}

void TaskWrapper::MainThreadThunk(void* data) {
  try {
    static_cast<TaskWrapper*>(data)->task_->InvokeMainThreadHandler();
  } catch (...) {
    // Nothing may reach the host from its own callback.
  }
}

void TaskWrapper::ScriptingThreadThunk(void* data) {
  try {
    static_cast<TaskWrapper*>(data)->task_->InvokeScriptingThreadHandler();
  } catch (...) {
    // Nothing may reach the host from its own callback.
  }
}

void TaskWrapperDestructor(void* data) {
  auto* box = static_cast<TaskWrapper*>(data);
  if (box == nullptr) return;
  if (!box->inTask_) {
    delete box;
    return;
  }
  // The box is part of the task, which may end with this share: take the
  // share out first, so that nothing touches the box after it is gone.
  std::shared_ptr<Task> share = std::move(box->task_);
}

HandlerScope::HandlerScope(addon_env__* env) : env_(env), scope_(nullptr) {
  Check(HostApis().open_handle_scope(env_, &scope_));
}

HandlerScope::~HandlerScope() { HostApis().close_handle_scope(env_, scope_); }

}  // namespace zerlin
