// getPointer on Windows: samples the pointer on the calling thread and
// answers the object at once. Failures come back as error values.
#include "addon/task/error_conversion.h"
#include "addon/value/value.h"
#include "pointer/get_pointer.h"
#include "pointer/win/pointer_state.h"

namespace zerlin {
namespace {

// The script's arguments and receiver are not read.
addon_value__* getPointer(addon_env__* env, addon_callback_info__* /*info*/) {
  try {
    const Value state = win::pointerState();
    return state.Convert(env);
  } catch (...) {
    return CreateErrorFromException(env);
  }
}

}  // namespace

const addon_callback kGetPointer = &getPointer;

}  // namespace zerlin
