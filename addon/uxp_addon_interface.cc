#include "addon/uxp_addon_interface.h"

#include <cstring>

namespace zerlin {

UxpAddonInterface& UxpAddonInterface::instance() {
  static UxpAddonInterface registry;
  return registry;
}

void UxpAddonInterface::setAddonAPIs(const addon_apis& apis) {
  // Comparing only reads the registry, as steps of earlier calls may be doing
  // on other threads at this moment; only a different table is written.
  if (std::memcmp(&apis_, &apis, sizeof apis_) == 0) return;
  std::memcpy(&apis_, &apis, sizeof apis_);
}

void Check(addon_status status) {
  if (status != 0) throw "error";
}

}  // namespace zerlin
