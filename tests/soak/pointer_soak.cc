// Usage: <soak> [calls]. Exits non-zero when peak resident memory grew by
// more than 1 MiB between the ten-thousandth call and the last, or when a
// call did not answer a reading.
#include "tests/soak/pointer_soak.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "addon/addon_entry.h"
#include "tests/host/test_host.h"

namespace {

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
#if defined(__APPLE__)
  return usage.ru_maxrss / 1024;  // macOS counts bytes, Linux kibibytes
#else
  return usage.ru_maxrss;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zerlin::test_host;
  const long calls = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long warm = calls < 10000 ? calls : 10000;
  auto scene = MakeSoakScene();
  TestHost host;
  addon_value__* exports = host.Object();
  if (uxp_addon_init(host.Env(), exports, &host.Table()) != exports) return 2;
  addon_value__* get_pointer = host.Property(exports, "getPointer");
  const TestHost::Checkpoint mark = host.Mark();

  long at_warm = 0;
  for (long i = 1; i <= calls; ++i) {
    addon_value__* answer = host.CallFunction(get_pointer);
    host.DrainAll();
    if (i % 100000 == 1) {  // a sample of the answers must be readings
      const std::string described = host.Describe(answer);
      if (described.find("\"active\"") == std::string::npos) {
        std::printf("call %ld answered %s\n", i, described.c_str());
        return 1;
      }
    }
    host.Rewind(mark);
    scene->AfterCall();
    if (i == warm) at_warm = PeakRssKb();
  }
  const long at_end = PeakRssKb();
  std::printf(
      "soak: %ld calls, peak RSS %ld KiB after %ld, %ld KiB after %ld\n", calls,
      at_warm, warm, at_end, calls);
  if (host.EscapedExceptions() != 0 || host.OpenScopes() != 0) return 1;
  return at_end - at_warm > 1024 ? 1 : 0;
}
