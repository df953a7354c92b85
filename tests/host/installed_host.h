// A TestHost whose table the addon's registry holds for the test's length.
#ifndef ZERLIN_TESTS_HOST_INSTALLED_HOST_H_
#define ZERLIN_TESTS_HOST_INSTALLED_HOST_H_

#include <cstring>
#include <functional>
#include <string>

#include "addon/uxp_addon_interface.h"
#include "tests/host/test_host.h"

namespace zerlin::test_host {

class InstalledHost : public TestHost {
 public:
  InstalledHost() { UxpAddonInterface::instance().setAddonAPIs(Table()); }
};

// The text of the bare character string that `action` throws, or "" when it
// throws nothing or something else.
inline std::string ThrownText(const std::function<void()>& action) {
  try {
    action();
  } catch (const char* text) {
    return text;
  } catch (...) {
    return "(other exception)";
  }
  return "";
}

}  // namespace zerlin::test_host

#endif  // ZERLIN_TESTS_HOST_INSTALLED_HOST_H_
