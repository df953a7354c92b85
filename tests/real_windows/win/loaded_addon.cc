#include "tests/real_windows/win/loaded_addon.h"

#include <cstdlib>

#include "addon/addon_api.h"

namespace zerlin::win_host {
namespace {

using InitFn = addon_value__* (*)(addon_env__*, addon_value__*,
                                  const addon_apis*);
using TerminateFn = void (*)(addon_env__*);

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

LoadedAddon::LoadedAddon(const std::string& path) {
  module_ = LoadLibraryA(path.c_str());
  if (module_ == nullptr) {
    error_ = "LoadLibrary failed for " + path + " (error " +
             std::to_string(GetLastError()) + ")";
    return;
  }
  const auto init = Export<InitFn>(module_, "uxp_addon_init");
  if (init == nullptr) {
    error_ = "no uxp_addon_init in " + path;
    return;
  }
  addon_value__* exports = host_.Object();
  if (init(host_.Env(), exports, &host_.Table()) != exports) {
    error_ = "uxp_addon_init failed: " + host_.Trace().back();
    return;
  }
  get_pointer_ = host_.Property(exports, "getPointer");
  if (get_pointer_ == nullptr) error_ = path + " registered no getPointer";
}

LoadedAddon::~LoadedAddon() {
  if (module_ == nullptr) return;
  if (const auto terminate =
          Export<TerminateFn>(module_, "uxp_addon_terminate")) {
    terminate(host_.Env());
  }
  FreeLibrary(module_);
}

addon_value__* LoadedAddon::Call() {
  return get_pointer_ != nullptr ? host_.CallFunction(get_pointer_) : nullptr;
}

Reading LoadedAddon::Read() {
  Reading reading;
  if (get_pointer_ == nullptr) return reading;
  addon_value__* result = Call();
  reading.text = host_.Describe(result);
  for (const std::string& key : host_.Keys(result)) {
    reading.keys += (reading.keys.empty() ? "" : " ") + key;
  }
  reading.ok = reading.keys == "active scale x y";
  if (!reading.ok) return reading;
  const auto number = [&](const char* key) {
    return std::strtod(host_.Describe(host_.Property(result, key)).c_str(),
                       nullptr);
  };
  reading.active = host_.Describe(host_.Property(result, "active")) == "true";
  reading.scale = number("scale");
  reading.x = number("x");
  reading.y = number("y");
  return reading;
}

}  // namespace zerlin::win_host
