// The addon linked into the test and loaded into an installed test host as
// a host loads it: init with a fresh exports object, getPointer taken from
// it, the calls of loading forgotten. (The Windows real-window host's
// LoadedAddon loads the built library by file instead.)
#ifndef ZERLIN_TESTS_HOST_LINKED_ADDON_H_
#define ZERLIN_TESTS_HOST_LINKED_ADDON_H_

#include <vector>

#include "addon/addon_entry.h"
#include "tests/host/installed_host.h"

namespace zerlin::test_host {

struct LinkedAddon {
  InstalledHost host;
  addon_value__* get_pointer = nullptr;

  LinkedAddon() {
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

#endif  // ZERLIN_TESTS_HOST_LINKED_ADDON_H_
