// scenario-info after FILE      the scenario FILE runs after (its
//                               `# after:` mark, relative to FILE's
//                               folder), or nothing
// scenario-info sim-only FILE   the reason of FILE's `# sim-only:` mark
//
// The runner scripts ask this instead of reading the comment lines
// themselves, so the marks mean what the scenario parser says they mean.
// Exit status: 0 the answer is printed (after: also when there is none);
// 1 for sim-only: the scenario has no such mark; 2 a bad command line or a
// scenario that does not parse (the parser's message on standard error).
#include <cstdio>
#include <cstring>
#include <string>

#include "scenario/scenario.h"

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "after") != 0 && std::strcmp(argv[1], "sim-only") != 0)) {
    std::fprintf(stderr, "usage: scenario-info after|sim-only FILE\n");
    return 2;
  }
  scenario::Scenario s;
  std::string error;
  if (!scenario::LoadScenarioFile(argv[2], &s, &error)) {
    std::fprintf(stderr, "scenario-info: %s\n", error.c_str());
    return 2;
  }
  if (std::strcmp(argv[1], "after") == 0) {
    if (!s.after.empty()) std::printf("%s\n", scenario::AfterPath(s).c_str());
    return 0;
  }
  if (!s.simOnly) return 1;
  std::printf("%s\n", s.simOnlyReason.c_str());
  return 0;
}
