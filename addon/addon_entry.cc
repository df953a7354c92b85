#include "addon/addon_entry.h"

#include <cstddef>
#include <cstring>
#include <exception>
#include <string>

#include "addon/uxp_addon_interface.h"
#include "pointer/get_pointer.h"

namespace zerlin {
namespace {

constexpr char kInitFailed[] = "Error occured while addon initialize : ";

// Every slot of the host's table that the addon calls. A table with any of
// them empty is refused at start-up, rather than crashing the host at the
// first call that needs the slot.
struct CalledSlot {
  const char* name;
  size_t offset;
};
#define ZERLIN_SLOT(name) \
  { #name, offsetof(addon_apis, name) }
constexpr CalledSlot kCalledSlots[] = {
    ZERLIN_SLOT(throw_error),
    ZERLIN_SLOT(create_function),
    ZERLIN_SLOT(set_named_property),
    ZERLIN_SLOT(get_undefined),
    ZERLIN_SLOT(get_boolean),
    ZERLIN_SLOT(create_object),
    ZERLIN_SLOT(create_array),
    ZERLIN_SLOT(create_double),
    ZERLIN_SLOT(create_string),
    ZERLIN_SLOT(create_error),
    ZERLIN_SLOT(type_of),
    ZERLIN_SLOT(get_value_double),
    ZERLIN_SLOT(get_value_bool),
    ZERLIN_SLOT(get_value_string),
    ZERLIN_SLOT(get_property_names),
    ZERLIN_SLOT(set_property),
    ZERLIN_SLOT(get_property),
    ZERLIN_SLOT(set_element),
    ZERLIN_SLOT(get_element),
    ZERLIN_SLOT(is_array),
    ZERLIN_SLOT(get_array_length),
    ZERLIN_SLOT(open_handle_scope),
    ZERLIN_SLOT(close_handle_scope),
    ZERLIN_SLOT(create_promise),
    ZERLIN_SLOT(resolve_deferred),
    ZERLIN_SLOT(reject_deferred),
    ZERLIN_SLOT(run_on_scripting_thread),
    ZERLIN_SLOT(run_on_main_thread),
};
#undef ZERLIN_SLOT

// The name of the first called slot that `apis` leaves empty, or null.
const char* FirstEmptySlot(const addon_apis& apis) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&apis);
  for (const CalledSlot& slot : kCalledSlots) {
    void (*entry)(void) = nullptr;
    std::memcpy(&entry, bytes + slot.offset, sizeof entry);
    if (entry == nullptr) return slot.name;
  }
  return nullptr;
}

// Hands `prefix` followed by the reason (`reason` and `detail`) to the
// host's throw_error, when the table has one. Never throws.
void Report(const addon_apis& apis, addon_env__* env, const char* prefix,
            const char* reason, const char* detail = "") noexcept {
  if (apis.throw_error == nullptr) return;
  try {
    const std::string message = std::string(prefix) + reason + detail;
    apis.throw_error(env, nullptr, message.c_str());
  } catch (...) {
    // Out of memory for the message: the prefix alone still says what failed.
    apis.throw_error(env, nullptr, prefix);
  }
}

// Reports the exception in flight as `prefix` followed by its reason. Must
// be called from inside a catch block; never throws.
void ReportFailure(const addon_apis& apis, addon_env__* env,
                   const char* prefix) noexcept {
  const char* reason = "unknown exception";
  try {
    throw;
  } catch (const std::exception& e) {
    reason = e.what() != nullptr ? e.what() : "";
  } catch (const char* text) {
    reason = text != nullptr ? text : "";
  } catch (...) {
  }
  Report(apis, env, prefix, reason);
}

void RegisterScriptFunctions(addon_env__* env, addon_value__* exports) {
  const addon_apis& apis = HostApis();
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
  // A table that lacks a slot the addon calls is refused and kept out of
  // the registry, so that a table from an earlier start-up stays in use.
  if (const char* empty = zerlin::FirstEmptySlot(*apis)) {
    zerlin::Report(*apis, env, zerlin::kInitFailed,
                   "the host's function table has no ", empty);
    return nullptr;
  }
  UxpAddonInterface::instance().setAddonAPIs(*apis);
  // From here on the host is reached through the registry, as everywhere.
  try {
    zerlin::RegisterScriptFunctions(env, exports);
    return exports;
  } catch (...) {
    zerlin::ReportFailure(zerlin::HostApis(), env, zerlin::kInitFailed);
    return nullptr;
  }
}

extern "C" void uxp_addon_terminate(addon_env__* /*env*/) {
  // Nothing to release here: tasks still in flight are owned by the boxes
  // the host holds and end as the host finalises them.
}
