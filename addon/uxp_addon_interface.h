// The process-wide registry of the host's function table, and Check, the one
// rule that turns a host status into an exception.
#ifndef ZERLIN_ADDON_UXP_ADDON_INTERFACE_H_
#define ZERLIN_ADDON_UXP_ADDON_INTERFACE_H_

#include "addon/addon_api.h"

namespace zerlin {

// Holds a copy of the host's table, written at start-up and only read
// afterwards, so it needs no lock. All slots are zero until the first init.
//
// A start-up with the table already held writes nothing, so a host may start
// the addon again with the same table (a reloaded plug-in, or a second one
// loading this library) while earlier calls are in flight. A host must not
// pass a different table while anything else may read the registry: another
// start-up, a getPointer call, or a step whose box has not been finalised.
// The copy would race with those reads, and only the host can order them.
class UxpAddonInterface {
 public:
  static UxpAddonInterface& instance();

  // Copies `apis` in, unless the registry already holds the same bytes.
  void setAddonAPIs(const addon_apis& apis);
  const addon_apis& getAddonAPIs() const { return apis_; }

 private:
  UxpAddonInterface() = default;
  addon_apis apis_{};
};

// The host's table as the registry holds it: the one way the addon reaches
// the host once start-up has stored the table.
inline const addon_apis& HostApis() {
  return UxpAddonInterface::instance().getAddonAPIs();
}

// Returns when `status` is zero; otherwise throws the bare text "error".
void Check(addon_status status);

}  // namespace zerlin

#endif  // ZERLIN_ADDON_UXP_ADDON_INTERFACE_H_
