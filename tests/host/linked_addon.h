// The addon loaded into an installed test host, as a host loads it: init
// with a fresh exports object, getPointer taken from it, the calls of
// loading forgotten.
#ifndef ZERLIN_TESTS_LOADED_ADDON_H_
#define ZERLIN_TESTS_LOADED_ADDON_H_

#include <vector>

#include "addon/addon_entry.h"
#include "tests/host/installed_host.h"

namespace zerlin::test_host {

struct LoadedAddon {
  InstalledHost host;
  addon_value__* get_pointer = nullptr;

  LoadedAddon() {
    addon_value__* exports = host.Object();
    uxp_addon_init(host.Env(), exports, &host.Table());
    get_pointer = host.Property(exports, "getPointer");
    host.ClearCalls();
  }
  addon_value__* Call(const std::vector<addon_value__*>& args = {}) {
    return host.CallFunction(get_pointer, args);
  }
};

}  // namespace zerlin::test_host

#endif  // ZERLIN_TESTS_LOADED_ADDON_H_
