// getPointer for a build that carries no pointer probe: every call answers
// an error value rather than a made-up reading.
#include <stdexcept>

#include "addon/task/error_conversion.h"
#include "pointer/get_pointer.h"

namespace zerlin {
namespace {

addon_value__* getPointer(addon_env__* env, addon_callback_info__* /*info*/) {
  try {
    throw std::logic_error("not available on this platform");
  } catch (...) {
    return CreateErrorFromException(env);
  }
}

}  // namespace

const addon_callback kGetPointer = &getPointer;

}  // namespace zerlin
