// How a real-window host says that it skipped a case the session refused:
// one "SKIP case: reason" line, and on a GitHub Actions runner a warning
// annotation as well, so that the skip shows on the run's page.
#ifndef ZERLIN_TESTS_REAL_WINDOWS_SKIP_LINE_H_
#define ZERLIN_TESTS_REAL_WINDOWS_SKIP_LINE_H_

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zerlin::test_host {

inline void PrintSkipLine(const char* test_name, const std::string& what,
                          const std::string& why) {
  std::printf("SKIP %s: %s\n", what.c_str(), why.c_str());
  const char* actions = std::getenv("GITHUB_ACTIONS");
  if (actions == nullptr || std::strcmp(actions, "true") != 0) return;
  // A workflow command ends at a line break; '%' introduces its escapes.
  std::string text;
  for (const char c : what + ": " + why) {
    if (c == '%') {
      text += "%25";
    } else if (c == '\r') {
      text += "%0D";
    } else if (c == '\n') {
      text += "%0A";
    } else {
      text += c;
    }
  }
  std::printf("::warning title=%s skipped a case::%s\n", test_name,
              text.c_str());
}

}  // namespace zerlin::test_host

#endif  // ZERLIN_TESTS_REAL_WINDOWS_SKIP_LINE_H_
