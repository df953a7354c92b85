// Turns the exception being handled into a host error value, so that
// script-callable functions can return failures instead of throwing them.
#ifndef ZERLIN_ADDON_TASK_ERROR_CONVERSION_H_
#define ZERLIN_ADDON_TASK_ERROR_CONVERSION_H_

#include "addon/addon_api.h"

namespace zerlin {

// Call from inside a catch block. The error's code is "-1"; its message is
// what() of a standard exception and "unknown exception" for anything else.
// Host statuses are not examined: the result is whatever create_error gave,
// null when it wrote nothing.
addon_value__* CreateErrorFromException(addon_env__* env) noexcept;

}  // namespace zerlin

#endif  // ZERLIN_ADDON_TASK_ERROR_CONVERSION_H_
