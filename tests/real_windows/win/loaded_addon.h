// The addon as a Windows host loads it: by file, with LoadLibrary, given the
// shared test host's 97-slot table; getPointer called as a script would.
#ifndef ZERLIN_TESTS_REAL_WINDOWS_WIN_LOADED_ADDON_H_
#define ZERLIN_TESTS_REAL_WINDOWS_WIN_LOADED_ADDON_H_

#include <windows.h>

#include <string>

#include "tests/host/test_host.h"

namespace zerlin::win_host {

// One answer of getPointer, read back from the host's object.
struct Reading {
  bool ok = false;  // an object with the four keys came back
  bool active = false;
  double scale = 0;
  double x = 0;
  double y = 0;
  std::string keys;  // property names in the order they were set
  std::string text;  // the whole answer as the host describes it
};

class LoadedAddon {
 public:
  explicit LoadedAddon(const std::string& path);
  ~LoadedAddon();
  LoadedAddon(const LoadedAddon&) = delete;
  LoadedAddon& operator=(const LoadedAddon&) = delete;

  // Empty when the library loaded and registered getPointer.
  const std::string& Error() const { return error_; }
  Reading Read();
  // getPointer called as a script would, its answer left unread (null when
  // it was not registered); Read reads it.
  addon_value__* Call();
  test_host::TestHost& host() { return host_; }

 private:
  test_host::TestHost host_;
  HMODULE module_ = nullptr;
  addon_value__* get_pointer_ = nullptr;
  std::string error_;
};

}  // namespace zerlin::win_host

#endif  // ZERLIN_TESTS_REAL_WINDOWS_WIN_LOADED_ADDON_H_
