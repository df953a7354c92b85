#include "addon/uxp_addon_interface.h"

#include <cstring>

namespace zerlin {

UxpAddonInterface& UxpAddonInterface::instance() {
  static UxpAddonInterface registry;
  return registry;
}

void UxpAddonInterface::setAddonAPIs(const addon_apis& apis) {
  std::memcpy(&apis_, &apis, sizeof apis_);
}

void Check(addon_status status) {
  if (status != 0) throw "error";
}

}  // namespace zerlin
