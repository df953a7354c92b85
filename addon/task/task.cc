#include "addon/task/task.h"

#include <utility>

#include "addon/uxp_addon_interface.h"

namespace zerlin {
namespace {

const addon_apis& Apis() {
  return UxpAddonInterface::instance().getAddonAPIs();
}

}  // namespace

std::shared_ptr<Task> Task::Create() {
  // The constructor is private, so make_shared cannot reach it.
  return std::shared_ptr<Task>(new Task());
}

addon_value__* Task::ScheduleOnMainThread(addon_env__* env,
                                          const MainThreadHandler& handler) {
  if (deferred_ != nullptr) {
    throw "Tasks can only be used to schedule one operation";
  }
  mainThreadHandler_ = handler;
  addon_value__* promise = nullptr;
  const addon_status status = Apis().create_promise(env, &deferred_, &promise);
  // A host may write out a handle even when it reports failure; keeping it
  // would leave the task refusing every later operation.
  if (status != 0) deferred_ = nullptr;
  Check(status);
  auto* wrapper = new TaskWrapper{shared_from_this()};
  env_ = env;
  // The main-thread step may start as soon as the host holds the box, so
  // every field it reads is written above, and none is touched below.
  Apis().run_on_main_thread(env, &TaskWrapper::MainThreadThunk, wrapper,
                            &TaskWrapperDestructor);
  return promise;
}

void Task::ScheduleOnScriptingThread(const ScriptingThreadHandler& handler) {
  scriptingThreadHandler_ = handler;
  auto* wrapper = new TaskWrapper{shared_from_this()};
  Apis().run_on_scripting_thread(env_, &TaskWrapper::ScriptingThreadThunk,
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
  result_ = std::make_unique<Value>(std::move(value));
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
  delete static_cast<TaskWrapper*>(data);
}

HandlerScope::HandlerScope(addon_env__* env) : env_(env), scope_(nullptr) {
  Check(Apis().open_handle_scope(env_, &scope_));
}

HandlerScope::~HandlerScope() { Apis().close_handle_scope(env_, scope_); }

}  // namespace zerlin
