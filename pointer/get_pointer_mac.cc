// getPointer for macOS: answers a promise at once. The probe reads AppKit
// and so runs on the host's main thread; the promise is settled back on the
// scripting thread, where script values may be made.
#include <cstring>
#include <string>

#include "addon/task/error_conversion.h"
#include "addon/task/task.h"
#include "addon/uxp_addon_interface.h"
#include "addon/value/value.h"
#include "pointer/get_pointer.h"
#include "pointer/mac/pointer_state.h"

namespace zerlin {
namespace {

constexpr char kUnableToRead[] = "Unable to read the pointer";

// Rejects with the plain string when the result could not be made into a
// script value, so that no script waits forever on its promise.
void RejectUnableToRead(addon_env__* env, addon_deferred__* deferred) {
  try {
    const addon_apis& apis = HostApis();
    HandlerScope scope(env);
    addon_value__* text = nullptr;
    Check(apis.create_string(env, kUnableToRead, std::strlen(kUnableToRead),
                             &text));
    Check(apis.reject_deferred(env, deferred, text));
  } catch (...) {
    // Nothing more can be done from a host callback.
  }
}

// Scripting thread: converts the stored result and settles the promise.
// The deferred is used by one settle call at most: a host may release it
// inside that call, whatever status the call answers, so a failed settle
// call is final.
void SettleOnScriptingThread(Task& task, addon_env__* env,
                             addon_deferred__* deferred) {
  bool settle_called = false;
  try {
    const addon_apis& apis = HostApis();
    HandlerScope scope(env);
    bool is_error = false;
    const Value& result = task.GetResult(is_error);
    addon_value__* value = result.Convert(env);
    settle_called = true;
    Check(is_error ? apis.reject_deferred(env, deferred, value)
                   : apis.resolve_deferred(env, deferred, value));
    return;
  } catch (...) {
  }
  if (!settle_called) RejectUnableToRead(env, deferred);
}

// Main thread: samples the pointer and hands the result back.
void SampleOnMainThread(Task& task) {
  try {
    task.SetResult(mac::pointerState(), false);
  } catch (...) {
    // What the probe threw is not passed on; scripts see one plain text.
    try {
      task.SetResult(Value(std::string(kUnableToRead)), true);
    } catch (...) {
      // Not even that could be stored: the scripting step finds no result
      // and rejects with the same text, made by the host.
    }
  }
  task.ScheduleOnScriptingThread(&SettleOnScriptingThread);
}

addon_value__* getPointer(addon_env__* env, addon_callback_info__* /*info*/) {
  try {
    return Task::ScheduleOnMainThread(Task::Create(), env, &SampleOnMainThread);
  } catch (...) {
    return CreateErrorFromException(env);
  }
}

}  // namespace

const addon_callback kGetPointer = &getPointer;

}  // namespace zerlin
