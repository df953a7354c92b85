#include "addon/task/error_conversion.h"

#include <cstring>
#include <exception>

#include "addon/uxp_addon_interface.h"

namespace zerlin {
namespace {

constexpr char kUnknownException[] = "unknown exception";

addon_value__* MakeError(addon_env__* env, const char* message,
                         size_t length) noexcept {
  const addon_apis& apis = HostApis();
  addon_value__* code = nullptr;
  apis.create_string(env, "-1", 2, &code);
  addon_value__* text = nullptr;
  apis.create_string(env, message, length, &text);
  addon_value__* error = nullptr;
  apis.create_error(env, code, text, &error);
  return error;
}

}  // namespace

addon_value__* CreateErrorFromException(addon_env__* env) noexcept {
  // The message is handed to the host straight from the exception, inside
  // the handler that keeps it alive, so no copy can fail for lack of memory.
  if (!std::current_exception()) {
    return MakeError(env, kUnknownException, sizeof kUnknownException - 1);
  }
  try {
    throw;
  } catch (const std::exception& e) {
    const char* what = e.what() != nullptr ? e.what() : "";
    return MakeError(env, what, std::strlen(what));
  } catch (...) {
    return MakeError(env, kUnknownException, sizeof kUnknownException - 1);
  }
}

}  // namespace zerlin
