// The end-to-end tests: --exe=<tarninfo.exe> --console=<tarninfoc.exe> --cases=<folder of .case
// files>
// --fixtures=<folder of the built fixtures>, then gtest's own.
#include <algorithm>
#include <gtest/gtest.h>

#include "e2e/driver.h"

int main(int argc, char** argv) {
  // Pixels as the screen has them, at any resolution, as the tool sees them.
  ::SetProcessDPIAware();
  tarn::e2e::Options& o = tarn::e2e::options();
  const std::pair<std::string, std::string*> flags[] = {{"--exe=", &o.exe},
                                                        {"--console=", &o.console},
                                                        {"--cases=", &o.cases},
                                                        {"--fixtures=", &o.fixtures},
                                                        {"--reports=", &o.reports}};
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto flag = std::find_if(std::begin(flags), std::end(flags),
                                   [&](const auto& f) { return arg.starts_with(f.first); });
    if (flag == std::end(flags))
      argv[kept++] = argv[i];
    else
      *flag->second = arg.substr(flag->first.size());
  }
  argc = kept;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
