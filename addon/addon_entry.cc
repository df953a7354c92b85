#include "addon/addon_entry.h"

#include <exception>
#include <string>

#include "addon/uxp_addon_interface.h"
#include "pointer/get_pointer.h"

namespace zerlin {
namespace {

// Reports the exception in flight to the host as `prefix` followed by its
// reason. Must be called from inside a catch block; never throws.
void ReportFailure(addon_env__* env, const char* prefix) noexcept {
  const char* reason = "unknown exception";
  try {
    throw;
  } catch (const std::exception& e) {
    reason = e.what() != nullptr ? e.what() : "";
  } catch (const char* text) {
    reason = text != nullptr ? text : "";
  } catch (...) {
  }
  const auto throw_error =
      UxpAddonInterface::instance().getAddonAPIs().throw_error;
  if (throw_error == nullptr) return;
  try {
    const std::string message = std::string(prefix) + reason;
    throw_error(env, nullptr, message.c_str());
  } catch (...) {
    // Out of memory for the message: the prefix alone still says what failed.
    throw_error(env, nullptr, prefix);
  }
}

void RegisterScriptFunctions(addon_env__* env, addon_value__* exports,
                             const addon_apis& apis) {
  addon_value__* fn = nullptr;
  Check(apis.create_function(env, nullptr, 0, kGetPointer, nullptr, &fn));
  Check(apis.set_named_property(env, exports, "getPointer", fn));
}

}  // namespace
}  // namespace zerlin

extern "C" addon_value__* uxp_addon_init(addon_env__* env,
                                         addon_value__* exports,
                                         const addon_apis* apis) {
  using zerlin::UxpAddonInterface;
  // Without a table there is no way to reach the host, not even to report.
  if (apis == nullptr) return nullptr;
  UxpAddonInterface::instance().setAddonAPIs(*apis);
  try {
    zerlin::RegisterScriptFunctions(env, exports, *apis);
    return exports;
  } catch (...) {
    zerlin::ReportFailure(env, "Error occured while addon initialize : ");
    return nullptr;
  }
}

extern "C" void uxp_addon_terminate(addon_env__* /*env*/) {
  // Nothing is held between calls, so unloading has no work to do and
  // nothing that could fail.
}
